// Scene 2 on the offscreen context: the rock effect once, whole-degree spin steps, the 512 x 512
// feedback capture, and the fades.
#include <gtest/gtest.h>

#include <vector>

#include "app/settings.h"
#include "demo/scene_state.h"
#include "demo/scenes.h"
#include "effects/overlays.h"
#include "image/gl_api.h"
#include "scene_support.h"
#include "sound/sound.h"

namespace {
class SceneTwo : public ::testing::Test {
protected:
    void TearDown() override { soundEnabled = false; }
};
}  // namespace

TEST_F(SceneTwo, TheRockEffectPlaysOnceOnTheFirstFrame) {
    ASSERT_TRUE(prepareDemo(256, 256));
    drawSceneFrame(drawScene2, 0.0);   // sound off: no call, the flag stays down
    EXPECT_TRUE(soundCalls().empty());
    EXPECT_FALSE(rockStarted);

    soundEnabled = true;
    rockSample = SoundSample{23};
    drawSceneFrame(drawScene2, 16.0);
    ASSERT_EQ(soundCalls().size(), 2u);
    EXPECT_EQ(soundCalls()[0].rfind("play 23 -> ", 0), 0u);
    const std::string channel = soundCalls()[0].substr(std::string("play 23 -> ").size());
    EXPECT_EQ(soundCalls()[1], "volume " + channel + " 150");
    EXPECT_TRUE(rockStarted);
    for (double a = 32.0; a < 20000.0; a += 4000.0) drawSceneFrame(drawScene2, a);
    EXPECT_EQ(soundCalls().size(), 2u);
    rockSample = SoundSample{};
}

TEST_F(SceneTwo, AnglesAdvanceInWholeDegreesFromAZeroFirstFrame) {
    ASSERT_TRUE(prepareDemo(256, 256));
    drawSceneFrame(drawScene2, 1000.0);   // first call: no frame time
    EXPECT_EQ(moduleSpinAngle, 0);
    EXPECT_EQ(spiralAngle, 0);
    EXPECT_FLOAT_EQ(previousSceneTime, 1000.0f);
    for (int i = 1; i <= 5; ++i) drawSceneFrame(drawScene2, 1000.0 + 4.0 * i);   // 0.8 degree each
    EXPECT_EQ(moduleSpinAngle, 0);
    EXPECT_EQ(spiralAngle, 0);
    drawSceneFrame(drawScene2, 1040.0);   // 20 ms: 4 degrees
    EXPECT_EQ(moduleSpinAngle, 4);
    EXPECT_EQ(spiralAngle, 4);
    spiralAngle = 356;
    drawSceneFrame(drawScene2, 1060.0);   // 360 itself occurs
    EXPECT_EQ(spiralAngle, 360);
    drawSceneFrame(drawScene2, 1080.0);   // past 360: back to 0
    EXPECT_EQ(spiralAngle, 0);
    EXPECT_EQ(moduleSpinAngle, 12);
}

TEST_F(SceneTwo, TheFeedbackCornerIsCapturedIntoA512Texture) {
    ASSERT_TRUE(prepareDemo(512, 512));
    for (int i = 0; i < 4; ++i) drawSceneFrame(drawScene2, 5000.0 + 20.0 * i);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    GLint width = 0, height = 0, minFilter = 0, magFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(width, 512);
    EXPECT_EQ(height, 512);
    EXPECT_EQ(minFilter, GL_NEAREST);
    EXPECT_EQ(magFilter, GL_NEAREST);
    std::vector<unsigned char> texels(512 * 512 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    int lit = 0;
    for (unsigned char c : texels) lit += c > 30;
    EXPECT_GT(lit, 1000);   // the module, the spiral and their trails
    // The visible frame holds the blurred image under the sharp module.
    EXPECT_GT(readFrame().meanBrightness(0, 0, 512, 512), 3.0);
}

TEST_F(SceneTwo, ASmallWindowLeavesTheMissingPartOfTheCornerBlack) {
    ASSERT_TRUE(prepareDemo(256, 200));
    for (int i = 0; i < 3; ++i) drawSceneFrame(drawScene2, 5000.0 + 20.0 * i);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 512);
    std::vector<unsigned char> texels(512 * 512 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    int outsideLit = 0, insideLit = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            const bool lit = texels[(y * 512 + x) * 3] + texels[(y * 512 + x) * 3 + 2] > 0;
            if (x >= 256 || y >= 200)
                outsideLit += lit;
            else
                insideLit += lit;
        }
    EXPECT_EQ(outsideLit, 0);
    EXPECT_GT(insideLit, 100);
}

TEST_F(SceneTwo, FadesInAndEndsInOpaqueBlack) {
    ASSERT_TRUE(prepareDemo(256, 256));
    drawSceneFrame(drawScene2, 0.0);   // a = 0: no fade (strict)
    EXPECT_GT(readFrame().brightestChannel(), 60);
    drawSceneFrame(drawScene2, 10000.0);
    EXPECT_GT(readFrame().brightestChannel(), 60);
    drawSceneFrame(drawScene2, 19000.0);   // the fade-out overlay stays opaque
    EXPECT_EQ(readFrame().brightestChannel(), 0);
}
