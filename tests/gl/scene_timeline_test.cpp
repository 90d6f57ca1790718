// renderFrame on the virtual counter drives the real scenes: the title, then each scene's own mark on
// the shared state, the way the capture tool steps through the demo.
#include <gtest/gtest.h>

#include "app/frame_clock.h"
#include "app/settings.h"
#include "demo/scene_state.h"
#include "image/gl_api.h"
#include "scene_support.h"
#include "sound/sound.h"

class SceneTimeline : public SceneTest {};

TEST_F(SceneTimeline, RenderFrameHandsEachSpanOfDemoTimeToItsScene) {
    advanceMs(2000.0);
    renderFrame();
    EXPECT_NEAR(demoTime, 2000.0, 1e-6);
    glFinish();
    const Frame title = readFrame();
    EXPECT_GT(title.meanBrightness(0, int(0.52 * 256), 256, int(0.58 * 256)), 5.0);
    EXPECT_EQ(title.meanBrightness(0, 0, 256, int(0.4 * 256)), 0.0);

    soundEnabled = true;
    rockSample = SoundSample{31};
    advanceMs(130500.0 - 2000.0);   // scene 2: the rock effect, once
    renderFrame();
    EXPECT_TRUE(rockStarted);
    EXPECT_FALSE(effect1Started);   // scene 1 never ran with sound on
    advanceMs(20000.0);             // scene 3: its grey clear colour from the next frame on
    renderFrame();
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.7f);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    advanceMs(39000.0 + 25000.0);   // scene 4 at 25.5 s: the credits have started
    renderFrame();
    EXPECT_GT(creditsScroll, -0.7f);
    soundEnabled = false;
    rockSample = SoundSample{};
}
