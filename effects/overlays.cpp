// Fades and blur quads drawn over the whole screen in the 0..1 screen space.
#include "effects/overlays.h"

#include <cmath>

#include "services/settings.h"
#include "image/gl_api.h"

unsigned int blurTexture = 0;

namespace {
void loadScreenSpace() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void drawBlackQuad(float opacity) {
    glViewport(0, 0, screenWidth, screenHeight);
    loadScreenSpace();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, opacity);
    // Screen-sized corners in a 0..1 space: the quad covers the viewport whatever the screen size.
    glBegin(GL_QUADS);
    glVertex2i(screenWidth, 0);
    glVertex2i(screenWidth, screenHeight);
    glVertex2i(0, screenHeight);
    glVertex2i(0, 0);
    glEnd();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

// Texture coordinates on unit 0; without the multitexture entry points (the demo then quits before
// drawing) the plain call stands in rather than a null pointer being called.
void unitZeroCoordinate(float s, float t) {
    if (glMultiTexCoord2fARB) glMultiTexCoord2fARB(GL_TEXTURE0_ARB, s, t);
    else glTexCoord2f(s, t);
}

// The blur texture over the viewport with the texture rectangle from inset to 1 - inset, added.
void drawBlurQuad(float opacity, float inset) {
    loadScreenSpace();
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, opacity);
    if (glActiveTextureARB) glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    float far = 1.0f - inset;
    glBegin(GL_QUADS);
    unitZeroCoordinate(inset, inset);
    glVertex2i(0, 0);
    unitZeroCoordinate(far, inset);
    glVertex2i(1, 0);
    unitZeroCoordinate(far, far);
    glVertex2i(1, 1);
    unitZeroCoordinate(inset, far);
    glVertex2i(0, 1);
    glEnd();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
}  // namespace

float fadeToBlackOpacity(double duration, double elapsed) {
    if (duration <= 0.0) return 1.0f;
    return static_cast<float>((1.0 / duration) * elapsed);
}

float fadeFromBlackOpacity(double duration, double elapsed) {
    if (duration <= 0.0) return 0.0f;
    return static_cast<float>(1.0 - (1.0 / duration) * elapsed);
}

void fadeToBlack(double duration, double elapsed) { drawBlackQuad(fadeToBlackOpacity(duration, elapsed)); }

void fadeFromBlack(double duration, double elapsed) { drawBlackQuad(fadeFromBlackOpacity(duration, elapsed)); }

float zoomBlurOpacity(float referenceFrames) {
    constexpr float perFrame = 0.99f;
    return referenceFrames == 1.0f ? perFrame : std::pow(perFrame, referenceFrames);
}

void drawZoomBlur(float frameMs, float referenceFrames) {
    drawBlurQuad(zoomBlurOpacity(referenceFrames), frameMs * 0.002f);
}

void drawBlurTexture() { drawBlurQuad(0.9f, 0.0f); }
