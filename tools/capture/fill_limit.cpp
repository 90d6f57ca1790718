// Full-screen quads timed with glFinish: what a frame of a scene costs at least, whatever its geometry.
// Each figure is the median of several draws, since the machine is shared.
#include "fill_limit.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "demo/demo_images.h"
#include "effects/projection.h"
#include "image/gl_api.h"
#include "model/demo_models.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr int drawsPerFigure = 15;
constexpr float detailRepeats = 21.0f;   // as often as on one terrain tile

GLuint textureOf(const Image* image) { return image ? image->texture : 0; }

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds of draw() after a finished clear of the depth buffer, median of several.
template <typename Draw>
double timedDraw(Draw draw, GLbitfield clearBits = GL_DEPTH_BUFFER_BIT) {
    std::vector<double> ms;
    for (int i = 0; i < drawsPerFigure; ++i) {
        glClear(clearBits);
        glFinish();
        const Clock::time_point before = Clock::now();
        draw();
        glFinish();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
    }
    return medianOf(ms);
}

void fullScreenQuad(float unit1Repeats) {
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (const auto& c : corners) {
        glMultiTexCoord2fARB(GL_TEXTURE0_ARB, c[0], c[1]);
        glMultiTexCoord2fARB(GL_TEXTURE1_ARB, c[0] * unit1Repeats, c[1] * unit1Repeats);
        glVertex3f(c[0], c[1], 0.0f);
    }
    glEnd();
}

void commonQuadState() {
    setOrthoView(0);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// The terrain's state: material texture on unit 0, the detail texture combined on unit 1, exp fog.
void terrainState() {
    commonQuadState();
    const float grey[4] = {0.7f, 0.7f, 0.7f, 1.0f};
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogfv(GL_FOG_COLOR, grey);
    glFogf(GL_FOG_DENSITY, 0.001f);
    glHint(GL_FOG_HINT, GL_NICEST);
    glEnable(GL_FOG);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureOf(terrainModel.textures[detailTextureSlot]));
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureOf(terrainModel.textures[0]));
}

// The sky box's state in scene 1: one unit, no fog, no lighting.
void skyState() {
    commonQuadState();
    glDisable(GL_FOG);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureOf(skyImages[0]));
}
}  // namespace

FillLimits measureFillLimits(int width, int height) {
    FillLimits limits;
    glViewport(0, 0, width, height);
    if (!glActiveTextureARB || !glMultiTexCoord2fARB) return limits;
    limits.clearMs = timedDraw([] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }, 0);
    terrainState();
    fullScreenQuad(detailRepeats);   // the first draw of a new state compiles it: not timed
    limits.terrainMs = timedDraw([] { fullScreenQuad(detailRepeats); });
    skyState();
    fullScreenQuad(1.0f);
    limits.skyMs = timedDraw([] { fullScreenQuad(1.0f); });
    return limits;
}
