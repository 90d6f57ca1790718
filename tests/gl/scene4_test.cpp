// Scene 4 on the offscreen context: the approach and the endless laps, the second logo without fog,
// and the credits that scroll up faster and faster.
#include <gtest/gtest.h>

#include "demo/credits.h"
#include "demo/scene_state.h"
#include "demo/scenes.h"
#include "image/gl_api.h"
#include "scene_support.h"

namespace {
constexpr int side = 256;

class SceneFour : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        if (HasFatalFailure()) return;
        drawSceneFrame(drawScene3, 38990.0);   // the timeline's last frame before: grey, fog, its units
        resetSceneState();
    }
};

// The highest row holding a white pixel: only text added onto the grey reaches white.
int topWhiteRow(const Frame& frame) {
    for (int y = frame.height - 1; y >= 0; --y)
        for (int x = 0; x < frame.width; ++x) {
            const Rgb c = frame.at(x, y);
            if (c.r >= 250 && c.g >= 250 && c.b >= 250) return y;
        }
    return -1;
}
}  // namespace

TEST_F(SceneFour, TheCameraApproachesThenCountsLapsWithoutMovingOnTheBoundary) {
    drawSceneFrame(drawScene4, 0.0);
    EXPECT_FLOAT_EQ(cameraEye.x, -6000.0f);
    EXPECT_FLOAT_EQ(cameraEye.y, 400.0f);
    drawSceneFrame(drawScene4, 4999.0);
    const Vector3 nearEnd = cameraEye;
    drawSceneFrame(drawScene4, 4999.9999999);   // the parameter rounds to 1: the eye keeps its place
    EXPECT_EQ(cameraEye.x, nearEnd.x);
    drawSceneFrame(drawScene4, 5000.0);   // the lap starts where the approach ended
    EXPECT_NEAR(cameraEye.x, -500.0f, 0.01f);
    EXPECT_EQ(orbitLap, 0);
    drawSceneFrame(drawScene4, 29990.0);
    const Vector3 eye = cameraEye;
    drawSceneFrame(drawScene4, 30010.0);   // v just over 5: only the lap is counted
    EXPECT_EQ(orbitLap, 1);
    EXPECT_EQ(cameraEye.x, eye.x);
    EXPECT_EQ(cameraEye.z, eye.z);
    drawSceneFrame(drawScene4, 30020.0);   // the new lap starts near v = 0
    EXPECT_NEAR(cameraEye.x, -500.0f, 5.0f);
    EXPECT_NEAR(cameraEye.z, -500.0f, 5.0f);

    // A stall of several laps: one lap caught up per frame, the eye standing still meanwhile.
    drawSceneFrame(drawScene4, 30020.0 + 3 * 25000.0);
    EXPECT_EQ(orbitLap, 2);
    drawSceneFrame(drawScene4, 30020.0 + 3 * 25000.0);
    drawSceneFrame(drawScene4, 30020.0 + 3 * 25000.0);
    EXPECT_EQ(orbitLap, 4);
    EXPECT_NEAR(cameraEye.x, -500.0f, 5.0f);
}

TEST_F(SceneFour, CreditsAccelerateWithTheCreditsTimeAndMoveUp) {
    drawSceneFrame(drawScene4, 20000.0);   // strict: no credits yet
    EXPECT_FLOAT_EQ(creditsScroll, -0.7f);
    drawSceneFrame(drawScene4, 30000.0);
    EXPECT_FLOAT_EQ(creditsScroll, -0.7f + 10000.0f * 2e-8f);

    // Far into the scene each frame moves the block by 0.05 of the screen: the lines climb.
    creditsScroll = 0.0f;
    drawSceneFrame(drawScene4, 20000.0 + 2.5e6);
    const int first = topWhiteRow(readFrame());
    drawSceneFrame(drawScene4, 20000.0 + 2.5e6);
    const int second = topWhiteRow(readFrame());
    ASSERT_GE(first, 0);
    // "ORX HALVEX" is centred at scroll + 0.5 with glyphs 0.05 high: its top at 0.575, then 0.625.
    EXPECT_NEAR(first, 0.575 * side, 3);
    EXPECT_NEAR(second - first, 0.05 * side, 2);
}

TEST_F(SceneFour, TheSecondLogoShowsWithoutFogAndLeavesFogOn) {
    // Logo rectangle: from (0.16, 0.7), 0.675 x 0.15 of the screen.
    const int x0 = int(0.2 * side), x1 = int(0.8 * side), y0 = int(0.72 * side), y1 = int(0.84 * side);
    drawSceneFrame(drawScene4, 5000.0);   // strict: not yet
    const double without = readFrame().meanBrightness(x0, y0, x1, y1);
    drawSceneFrame(drawScene4, 5000.5);
    const double with = readFrame().meanBrightness(x0, y0, x1, y1);
    EXPECT_GT(with, without + 20.0);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    drawSceneFrame(drawScene4, 25000.0);  // strict: gone again
    EXPECT_LT(readFrame().meanBrightness(x0, y0, x1, y1), with - 20.0);
}

TEST_F(SceneFour, FadesInFromBlackOverFiveSeconds) {
    drawSceneFrame(drawScene4, 1.0);
    EXPECT_LT(readFrame().brightestChannel(), 3);
    drawSceneFrame(drawScene4, 4999.0);
    EXPECT_GT(readFrame().at(1, side - 2).r, 170);
}
