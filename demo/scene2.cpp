// Scene 2, 130 s to 150 s: the spinning module and a rolling spiral seen through a zooming motion blur.
// For each 60 Hz frame the previous small image is drawn again, magnified and dimmed, into a 512 x 512
// corner, the geometry is drawn over it, and the corner is copied back into blurTexture; every frame the
// result is stretched over the cleared screen under the sharp geometry.
#include <algorithm>
#include <cmath>

#include "services/demo_clock.h"
#include "services/settings.h"
#include "demo/billboard.h"
#include "demo/per_frame_steps.h"
#include "demo/render_state.h"
#include "demo/scene_state.h"
#include "demo/scene_textures.h"
#include "demo/scenes.h"
#include "effects/overlays.h"
#include "effects/projection.h"
#include "image/gl_api.h"
#include "model/demo_models.h"
#include "sound/sound.h"

namespace {
constexpr int blurSide = 512;                 // pixels of the feedback corner and of blurTexture
constexpr int maxFeedbackPasses = 3;          // in one frame

// Zero texels for the part of the corner that lies outside a window smaller than 512 pixels.
unsigned char blackCorner[blurSide * blurSide * 3];

void lookAtModule() { gluLookAt(1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0); }

void drawSpinningModule() {
    glPushMatrix();
    glScalef(0.005f, 0.005f, 0.005f);
    glRotatef(static_cast<float>(moduleSpinAngle), 1.0f, 0.0f, 1.0f);
    moduleModel.draw();
    glPopMatrix();
}

void drawSpiral() {
    glPushMatrix();
    beginAdditiveOverlay(GL_SRC_COLOR);
    glPushMatrix();
    bindSceneImage(spiralSlot);
    const BillboardAxes axes = readBillboardAxes();
    glColor4f(0.0f, 0.4f, 1.0f, 0.3f);
    // (1, 0, 0) is the viewing axis, so the square rolls in the image plane.
    glRotatef(static_cast<float>(-spiralAngle), 1.0f, 0.0f, 0.0f);
    drawBillboardWithAxes(Vector3{0.0f, 0.0f, 0.0f}, 1.5f, axes);
    glPopMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}

void turnModuleAndSpiral(int wholeDegrees) {
    moduleSpinAngle += wholeDegrees;
    spiralAngle += wholeDegrees;
    if (spiralAngle > 360) spiralAngle = 0;
}

void drawFeedbackPass(float dt, float trailFrames, int wholeDegrees) {
    glViewport(0, 0, blurSide, blurSide);
    drawZoomBlur(dt, trailFrames);
    // The screen's shape squeezed into the square corner: stretched over the screen, the trail fits the
    // sharp module drawn over it.
    setPerspectiveView(1);
    lookAtModule();
    turnModuleAndSpiral(wholeDegrees);
    drawSpinningModule();
    drawSpiral();
}

// A second pass in one frame starts from the corner as the frame's clear left it.
void clearCorner() {
    glPushAttrib(GL_SCISSOR_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, blurSide, blurSide);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPopAttrib();
}

// A window smaller than the corner cannot supply all of it: what lies outside stays black.
void captureCorner() {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    if (screenWidth >= blurSide && screenHeight >= blurSide) {
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, blurSide, blurSide, 0);
        return;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, blurSide, blurSide, 0, GL_RGB, GL_UNSIGNED_BYTE, blackCorner);
    const int width = std::clamp(screenWidth, 0, blurSide);
    const int height = std::clamp(screenHeight, 0, blurSide);
    if (width > 0 && height > 0) glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
}

void drawDisplayPass() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, screenWidth, screenHeight);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawBlurTexture();
    setPerspectiveView(0);
    lookAtModule();
    glPushMatrix();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glScalef(0.005f, 0.005f, 0.005f);
    glRotatef(static_cast<float>(moduleSpinAngle), 1.0f, 0.0f, 1.0f);
    moduleModel.draw();
    glPopMatrix();

    drawSunGlow(Vector3{0.0f, 0.0f, 0.0f}, 0.5f, 0.6f, 0.6f, 0.0f);
}
}  // namespace

int drawScene2(double a) {
    if (soundEnabled && !rockStarted) {
        playRockSound();
        rockStarted = true;
    }
    const bool firstFrame = !scene2HasRun;
    if (firstFrame) {
        previousSceneTime = static_cast<float>(a);   // the first frame has no frame time
        scene2HasRun = true;
    }
    // The first frame turns nothing and feeds the trail back once.
    const float frames = firstFrame ? 0.0f : referenceFrames(demoStepMs);
    const int ticks = firstFrame ? 1 : takeWholeReferenceFrames(feedbackCarry, frames);
    if (ticks == 0) {
        turnModuleAndSpiral(takeWholeSpinDegrees(spinCarry, frames));
    } else {
        // The trail is fed back once for each 60 Hz frame the frame completes, as on the display it was
        // made for: fading it by a fraction of 0.99 more often would stall in the texture's 8-bit
        // rounding and leave a longer, brighter trail. A stall takes a few passes, not hundreds.
        const int passes = std::min(ticks, maxFeedbackPasses);
        const float dt = static_cast<float>(a - previousSceneTime);   // since the last pass
        previousSceneTime = static_cast<float>(a);
        for (int pass = 0; pass < passes; ++pass) {
            if (pass > 0) clearCorner();
            const int wholeDegrees = takeWholeSpinDegrees(spinCarry, frames / static_cast<float>(passes));
            drawFeedbackPass(dt / static_cast<float>(passes), static_cast<float>(ticks) / static_cast<float>(passes),
                             wholeDegrees);
            captureCorner();
        }
    }
    drawDisplayPass();

    if (a >= 0.0 && a < 3000.0) fadeFromBlack(3000.0, a);
    if (a > 15000.0) fadeToBlack(3000.0, a - 15000.0);
    return 1;
}
