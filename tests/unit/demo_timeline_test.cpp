// The demo clock, timeline and main loop under a virtual counter: scene boundaries and arguments, stalls,
// the tick-count fallback, and no frame after a quit request.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <vector>

#include "services/counter.h"
#include "services/demo_clock.h"
#include "shell/frame_clock.h"
#include "demo/timeline.h"
#include "shell/main_loop.h"
#include "platform/quit_request.h"

namespace {
struct SceneCall {
    int scene;
    double argument;
};
std::vector<SceneCall> calls;
size_t quitDuringCall = 0;   // Escape is pressed during this frame (1 for the first), 0 for never

template <int scene>
int recordScene(double ms) {
    calls.push_back({scene, ms});
    if (calls.size() == quitDuringCall) postQuitRequest(5);
    return 1;
}

constexpr int64_t countsPerSecond = 1000000;   // one count per microsecond

class Timeline : public ::testing::Test {
protected:
    SceneFunction saved[4];

    void SetUp() override {
        const SceneFunction recorders[4] = {recordScene<1>, recordScene<2>, recordScene<3>, recordScene<4>};
        ASSERT_EQ(timelineSceneCount, 4);
        for (int i = 0; i < 4; ++i) {
            saved[i] = timeline[i].draw;
            timeline[i].draw = recorders[i];
        }
        calls.clear();
        quitDuringCall = 0;
        clearQuitRequest();
        installVirtualCounter(countsPerSecond);
        setVirtualCounter(5000000);   // the clock starts wherever the counter happens to be
        startDemoClock();
    }
    void TearDown() override {
        for (int i = 0; i < 4; ++i) timeline[i].draw = saved[i];
        removeVirtualCounter();
        clearQuitRequest();
    }

    // One frame that took the given milliseconds.
    SceneCall frameAfter(double ms) {
        advanceVirtualCounter(static_cast<int64_t>(ms * 1000.0));
        advanceDemoClock();
        runTimeline();
        return calls.back();
    }
};
}  // namespace

TEST_F(Timeline, BoundariesAreStrictAndArgumentsRelative) {
    EXPECT_EQ(demoTime, 0.0);
    // Scene 1 gets the absolute time; the last scene runs on for ever with a growing argument.
    const struct {
        double stepMs;
        int scene;
        double argument;
    } frames[] = {{129999.999, 1, 129999.999}, {0.001, 2, 0.0}, {19999.0, 2, 19999.0}, {1.0, 3, 0.0},
                  {38999.5, 3, 38999.5},       {0.5, 4, 0.0},   {3600000.0, 4, 3600000.0}};
    for (const auto& frame : frames) {
        SCOPED_TRACE(::testing::Message() << "after " << frame.stepMs << " ms more");
        const SceneCall call = frameAfter(frame.stepMs);
        EXPECT_EQ(call.scene, frame.scene);
        EXPECT_NEAR(call.argument, frame.argument, 1e-3);
    }
    // Exactly on a boundary the later scene runs, from 0.
    for (const SceneCall& start : {SceneCall{2, 130000.0}, SceneCall{3, 150000.0}, SceneCall{4, 189000.0}}) {
        calls.clear();
        demoTime = start.argument;
        runTimeline();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].scene, start.scene);
        EXPECT_EQ(calls[0].argument, 0.0) << start.argument;
    }
}

TEST_F(Timeline, LongStallSkipsAWholeSceneWithoutClamping) {
    frameAfter(128000.0);
    const SceneCall call = frameAfter(25000.0);   // the window was dragged for 25 seconds
    EXPECT_EQ(call.scene, 3);
    EXPECT_NEAR(call.argument, 3000.0, 1e-6);
    EXPECT_EQ(calls.size(), 2u) << "scene 2 never ran";
    EXPECT_NEAR(frameTime, 25000.0, 1e-6);
}

TEST_F(Timeline, NoFractionOfTheCounterIsLostAndTheTickCountStandsInAcrossItsWrap) {
    // Each interval starts at the reading that ended the previous one, so 1000 steps of 0.1 ms add up.
    for (int i = 0; i < 1000; ++i) frameAfter(0.1);
    EXPECT_NEAR(demoTime, 100.0, 1e-6);

    installVirtualCounter(countsPerSecond, false);   // no high-resolution counter
    setVirtualTickCount(0xFFFFFFFFu - 5);            // six milliseconds before the tick count wraps
    startDemoClock();
    advanceVirtualCounter(16000);                    // 16 ms later, past the wrap
    advanceDemoClock();
    EXPECT_NEAR(frameTime, 16.0, 1e-9);
}

// The main loop renders frames back to back and never one after the first quit request.
TEST_F(Timeline, TheMainLoopEndsAtTheFirstQuitRequestWithoutAnotherFrame) {
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    quitDuringCall = 3;
    EXPECT_EQ(runMainLoop(), 5);
    EXPECT_EQ(calls.size(), 3u);

    SCOPED_TRACE("a quit posted during the start-up: no frame at all");
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    clearQuitRequest();
    postQuitRequest(6);
    EXPECT_EQ(runMainLoop(), 6);
    EXPECT_EQ(calls.size(), 3u);

    SCOPED_TRACE("an Escape already queued: window events come before frames");
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    clearQuitRequest();
    SDL_Event escape{};
    escape.type = SDL_KEYDOWN;
    escape.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&escape);
    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_EQ(calls.size(), 3u);
    SDL_Quit();
}
