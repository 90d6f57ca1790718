// The main loop: frames back to back until the first quit request, never a frame after it.
#include <gtest/gtest.h>

#include <SDL.h>

#include "app/counter.h"
#include "app/frame_clock.h"
#include "app/main_loop.h"
#include "app/quit_request.h"

namespace {
int framesRendered = 0;
int quitAfterFrames = 0;

int countFrame(double) {
    ++framesRendered;
    if (framesRendered == quitAfterFrames) postQuitRequest(0);   // Escape pressed during this frame
    return 1;
}

class MainLoop : public ::testing::Test {
protected:
    SceneFunction saved[4];
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        for (int i = 0; i < 4; ++i) {
            saved[i] = timelineScenes[i];
            timelineScenes[i] = countFrame;
        }
        framesRendered = 0;
        clearQuitRequest();
        installVirtualCounter(1000);
        startDemoClock();
    }
    void TearDown() override {
        for (int i = 0; i < 4; ++i) timelineScenes[i] = saved[i];
        removeVirtualCounter();
        clearQuitRequest();
        SDL_Quit();
    }
};
}  // namespace

TEST_F(MainLoop, EndsAtTheFirstQuitRequestWithoutAnotherFrame) {
    quitAfterFrames = 3;
    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_EQ(framesRendered, 3);
}

TEST_F(MainLoop, AQuitPostedDuringStartUpMeansNoFrameAtAll) {
    quitAfterFrames = -1;
    postQuitRequest(0);
    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_EQ(framesRendered, 0);
}

TEST_F(MainLoop, WindowEventsComeBeforeFrames) {
    // An Escape key already queued is handled before any frame is rendered.
    quitAfterFrames = -1;
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&key);
    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_EQ(framesRendered, 0);
}
