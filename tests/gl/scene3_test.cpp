// Scene 3 on the offscreen context: black first frame then grey, the fog it sets, the captions over
// the fades, the camera and target on their path, and the state it leaves for scene 4.
#include <gtest/gtest.h>

#include "demo/scene_state.h"
#include "demo/scenes.h"
#include "image/gl_api.h"
#include "scene_support.h"

namespace {
constexpr int side = 256;

class SceneThree : public SceneTest {};

int brightestInBand(const Frame& frame, double y0, double y1) {
    int best = 0;
    for (int y = int(y0 * side); y < int(y1 * side); ++y)
        for (int x = 0; x < side; ++x) best = std::max(best, frame.at(x, y).max());
    return best;
}
}  // namespace

TEST_F(SceneThree, FirstFrameIsClearedBlackThenGreyFogFollows) {
    // No fade at 3000 ms (the fade-in ends there), so the sky at the top shows the clear colour.
    drawSceneFrame(drawScene3, 3000.0);
    Rgb sky = readFrame().at(side / 2, side - 2);
    EXPECT_EQ(sky.r + sky.g + sky.b, 0);
    drawSceneFrame(drawScene3, 3020.0);
    sky = readFrame().at(side / 2, side - 2);
    EXPECT_NEAR(sky.r, 178, 2);
    EXPECT_NEAR(sky.g, 178, 2);
    EXPECT_NEAR(sky.b, 178, 2);

    EXPECT_TRUE(glIsEnabled(GL_FOG));
    GLint mode = 0, hint = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    glGetIntegerv(GL_FOG_HINT, &hint);
    EXPECT_EQ(mode, GL_EXP);
    EXPECT_EQ(hint, GL_NICEST);
    GLfloat density = 0, start = 0, end = 0, colour[4] = {}, clear[4] = {};
    glGetFloatv(GL_FOG_DENSITY, &density);
    glGetFloatv(GL_FOG_START, &start);
    glGetFloatv(GL_FOG_END, &end);
    glGetFloatv(GL_FOG_COLOR, colour);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(density, 0.001f);
    EXPECT_FLOAT_EQ(start, 6000.0f);
    EXPECT_FLOAT_EQ(end, 6000.0f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(colour[i], 0.7f);
        EXPECT_FLOAT_EQ(clear[i], 0.7f);
    }
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    GLfloat specular[4] = {}, position[4] = {};
    glGetLightfv(GL_LIGHT1, GL_SPECULAR, specular);
    glGetLightfv(GL_LIGHT1, GL_POSITION, position);
    EXPECT_FLOAT_EQ(specular[2], 1.0f);
    EXPECT_FLOAT_EQ(specular[0], 0.0f);
    EXPECT_FLOAT_EQ(position[0], 1000.0f);   // eye space: given under the identity modelview
    EXPECT_FLOAT_EQ(position[3], 1.0f);
}

TEST_F(SceneThree, CaptionsStayBrightOverTheFades) {
    drawSceneFrame(drawScene3, 100.0);   // nearly black fade-in, caption low on the screen
    Frame frame = readFrame();
    // Glyphs 0.03 high are thin at this size: bright against a black screen is enough.
    EXPECT_GE(brightestInBand(frame, 0.14, 0.16), 120);
    EXPECT_LT(brightestInBand(frame, 0.3, 0.7), 30);
    drawSceneFrame(drawScene3, 6990.0);
    const int withCaption = brightestInBand(readFrame(), 0.14, 0.16);
    drawSceneFrame(drawScene3, 7000.0);   // strict: the caption has gone
    EXPECT_LT(brightestInBand(readFrame(), 0.14, 0.16), withCaption - 20);

    drawSceneFrame(drawScene3, 38900.0);   // 98 % black, both closing lines bright
    frame = readFrame();
    EXPECT_GE(brightestInBand(frame, 0.52, 0.54), 120);
    EXPECT_GE(brightestInBand(frame, 0.46, 0.48), 120);
    EXPECT_LT(brightestInBand(frame, 0.0, 0.3), 15);
    EXPECT_LT(brightestInBand(frame, 0.7, 1.0), 15);
}

TEST_F(SceneThree, TheFadeInHalvesTheGreySkyAtItsMidpoint) {
    drawSceneFrame(drawScene3, 1480.0);   // sets the grey for the next frame's clear
    drawSceneFrame(drawScene3, 1500.0);   // fade-in at half opacity over the 178 grey
    const Rgb sky = readFrame().at(side / 2, side - 2);
    EXPECT_NEAR(sky.r, 89, 2);
    EXPECT_NEAR(sky.b, 89, 2);
}

TEST_F(SceneThree, TheTargetStopsBeforeTheEye) {
    drawSceneFrame(drawScene3, 0.0);
    EXPECT_FLOAT_EQ(cameraEye.x, 300.0f);
    EXPECT_FLOAT_EQ(cameraEye.z, 1200.0f);
    drawSceneFrame(drawScene3, 38700.0);
    const Vector3 eye = cameraEye;
    const Vector3 target = cameraTarget;
    drawSceneFrame(drawScene3, 38990.0);
    EXPECT_NE(cameraEye.x, eye.x);
    EXPECT_EQ(cameraTarget.x, target.x);
    EXPECT_EQ(cameraTarget.y, target.y);
    EXPECT_LT(cameraEye.x, 2000.0f);   // never reaches point 8
}

TEST_F(SceneThree, GreyClearColourAndFogCarryIntoSceneFour) {
    drawSceneFrame(drawScene3, 38000.0);
    drawSceneFrame(drawScene4, 0.0);
    GLfloat clear[4] = {}, density = 0;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glGetFloatv(GL_FOG_DENSITY, &density);
    EXPECT_FLOAT_EQ(clear[0], 0.7f);
    EXPECT_FLOAT_EQ(density, 0.0002f);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    const Rgb corner = readFrame().at(1, side - 2);
    EXPECT_NEAR(corner.r, 178, 2);
}
