// The demo clock and timeline under a virtual counter: scene boundaries, arguments, stalls, first frame.
#include <gtest/gtest.h>

#include <vector>

#include "app/counter.h"
#include "app/frame_clock.h"

namespace {
struct SceneCall {
    int scene;
    double argument;
};
std::vector<SceneCall> calls;

int recordScene1(double ms) { calls.push_back({1, ms}); return 1; }
int recordScene2(double ms) { calls.push_back({2, ms}); return 1; }
int recordScene3(double ms) { calls.push_back({3, ms}); return 1; }
int recordScene4(double ms) { calls.push_back({4, ms}); return 1; }

constexpr int64_t countsPerSecond = 1000000;   // one count per microsecond

class Timeline : public ::testing::Test {
protected:
    SceneFunction saved[4];

    void SetUp() override {
        for (int i = 0; i < 4; ++i) saved[i] = timelineScenes[i];
        timelineScenes[0] = recordScene1;
        timelineScenes[1] = recordScene2;
        timelineScenes[2] = recordScene3;
        timelineScenes[3] = recordScene4;
        calls.clear();
        installVirtualCounter(countsPerSecond);
        setVirtualCounter(5000000);   // the clock starts wherever the counter happens to be
        startDemoClock();
    }
    void TearDown() override {
        for (int i = 0; i < 4; ++i) timelineScenes[i] = saved[i];
        removeVirtualCounter();
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
    SceneCall call = frameAfter(129999.999);
    EXPECT_EQ(call.scene, 1);
    EXPECT_NEAR(call.argument, 129999.999, 1e-6);   // scene 1 gets the absolute time
    call = frameAfter(0.001);
    EXPECT_EQ(call.scene, 2);
    EXPECT_NEAR(call.argument, 0.0, 1e-6);
    call = frameAfter(19999.0);
    EXPECT_EQ(call.scene, 2);
    EXPECT_NEAR(call.argument, 19999.0, 1e-6);
    call = frameAfter(1.0);
    EXPECT_EQ(call.scene, 3);
    EXPECT_NEAR(call.argument, 0.0, 1e-6);
    call = frameAfter(38999.5);
    EXPECT_EQ(call.scene, 3);
    call = frameAfter(0.5);
    EXPECT_EQ(call.scene, 4);
    EXPECT_NEAR(call.argument, 0.0, 1e-6);
    // The last scene runs on for ever with a growing argument.
    call = frameAfter(3600000.0);
    EXPECT_EQ(call.scene, 4);
    EXPECT_NEAR(call.argument, 3600000.0, 1e-3);
}

TEST_F(Timeline, ExactBoundaryValuesPickTheLaterScene) {
    for (double boundary : {130000.0, 150000.0, 189000.0}) {
        calls.clear();
        demoTime = boundary;
        runTimeline();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].argument, 0.0) << boundary;
        EXPECT_EQ(calls[0].scene, boundary == 130000.0 ? 2 : boundary == 150000.0 ? 3 : 4);
    }
}

TEST_F(Timeline, LongStallSkipsAWholeScene) {
    frameAfter(128000.0);
    const SceneCall call = frameAfter(25000.0);   // the window was dragged for 25 seconds
    EXPECT_EQ(call.scene, 3);
    EXPECT_NEAR(call.argument, 3000.0, 1e-6);
    for (const SceneCall& c : calls) EXPECT_NE(c.scene, 2);
    EXPECT_NEAR(frameTime, 25000.0, 1e-6);   // no clamping
}

TEST_F(Timeline, FirstFrameCountsFromTheClockStart) {
    const SceneCall call = frameAfter(16.5);
    EXPECT_NEAR(call.argument, 16.5, 1e-9);
    EXPECT_NEAR(frameTime, 16.5, 1e-9);
}

TEST_F(Timeline, NextIntervalStartsAtTheSecondReading) {
    // Counter readings: 100 us at the frame's first read, then the second read happens at the same
    // virtual instant, so every frame's time is exactly the step between frames.
    for (int i = 0; i < 1000; ++i) frameAfter(0.1);
    EXPECT_NEAR(demoTime, 100.0, 1e-6);
    EXPECT_EQ(lastCount, readCounter());
}

TEST_F(Timeline, TickCountStandsInWithoutAHighResolutionCounter) {
    installVirtualCounter(countsPerSecond, false);
    setVirtualTickCount(0xFFFFFFFFu - 5);   // six milliseconds before the tick count wraps
    startDemoClock();
    advanceVirtualCounter(16000);          // 16 ms later, past the wrap
    advanceDemoClock();
    EXPECT_NEAR(frameTime, 16.0, 1e-9);
}
