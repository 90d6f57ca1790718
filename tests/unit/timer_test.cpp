// Timer under the virtual counter: counter mode, tick mode with its granularity, and the 32-bit wrap.
#include <gtest/gtest.h>

#include "app/counter.h"
#include "particles/timer.h"

namespace {
class VirtualCounterScope {
public:
    VirtualCounterScope(int64_t countsPerSecond, bool highResolution) {
        installVirtualCounter(countsPerSecond, highResolution);
    }
    ~VirtualCounterScope() { removeVirtualCounter(); }
};
}  // namespace

TEST(Timer, CounterModeMeasuresSinceConstructionAndRestart) {
    VirtualCounterScope scope(1000000, true);
    setVirtualCounter(5000000);
    Timer timer;
    EXPECT_NE(timer.usePerformanceCounter, 0);
    EXPECT_EQ(timer.startCount, 5000000);
    EXPECT_EQ(timer.countPeriod, static_cast<float>(1.0 / 1000000.0));
    EXPECT_EQ(timer.elapsedMs(), 0.0);

    // Sub-millisecond resolution: 250 counts of a 1 MHz counter are a quarter of a millisecond.
    advanceVirtualCounter(250);
    EXPECT_NEAR(timer.elapsedMs(), 0.25, 1e-6);
    advanceVirtualCounter(1500000 - 250);
    EXPECT_NEAR(timer.elapsedMs(), 1500.0, 1e-3);
    // Reading does not restart.
    EXPECT_NEAR(timer.elapsedMs(), 1500.0, 1e-3);

    timer.restart();
    EXPECT_EQ(timer.startCount, 6500000);
    EXPECT_EQ(timer.elapsedMs(), 0.0);
    advanceVirtualCounter(20001);
    EXPECT_GT(timer.elapsedMs(), 20.0);
    EXPECT_LT(timer.elapsedMs(), 20.01);
}

TEST(Timer, TickModeIsWholeMillisecondsAndSurvivesTheWrap) {
    VirtualCounterScope scope(1000, false);
    setVirtualTickCount(1000);
    Timer timer;
    EXPECT_EQ(timer.usePerformanceCounter, 0);
    EXPECT_EQ(static_cast<uint32_t>(timer.startCount), 1000u);
    EXPECT_EQ(timer.elapsedMs(), 0.0);

    // The virtual tick count follows the counter at 1000 counts per second: one count, one ms.
    advanceVirtualCounter(37);
    EXPECT_EQ(timer.elapsedMs(), 37.0);

    // Restart 6 ms before the 32-bit tick count wraps; read when it has reached 10 after the wrap.
    setVirtualTickCount(0xFFFFFFFFu - 5u);
    timer.restart();
    EXPECT_EQ(static_cast<uint32_t>(timer.startCount), 0xFFFFFFFAu);
    EXPECT_EQ(timer.elapsedMs(), 0.0);
    setVirtualTickCount(10);
    EXPECT_EQ(timer.elapsedMs(), 16.0);
    advanceVirtualCounter(4);
    EXPECT_EQ(timer.elapsedMs(), 20.0);
}

TEST(Timer, ModeIsDecidedOnceAtConstruction) {
    VirtualCounterScope scope(1000, true);
    Timer counterTimer;
    installVirtualCounter(1000, false);
    Timer tickTimer;
    // Both keep their own mode when the system's counter changes under them.
    installVirtualCounter(1000, true);
    EXPECT_NE(counterTimer.usePerformanceCounter, 0);
    EXPECT_EQ(tickTimer.usePerformanceCounter, 0);
    tickTimer.restart();
    advanceVirtualCounter(12);
    EXPECT_EQ(tickTimer.elapsedMs(), 12.0);
    EXPECT_NEAR(counterTimer.elapsedMs(), 12.0, 1e-3);
}

TEST(Timer, RealCounterNeverGoesBackwards) {
    ASSERT_FALSE(virtualCounterInstalled());
    Timer timer;
    const double first = timer.elapsedMs();
    EXPECT_GE(first, 0.0);
    EXPECT_LT(first, 1000.0);
    EXPECT_GE(timer.elapsedMs(), first);
    timer.restart();
    EXPECT_GE(timer.elapsedMs(), 0.0);
}
