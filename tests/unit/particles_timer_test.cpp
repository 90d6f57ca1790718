// Timer under the virtual counter: counter mode to a fraction of a millisecond, tick mode in whole
// milliseconds across the 32-bit wrap, and a mode fixed at construction; then the real counter.
#include <gtest/gtest.h>

#include "services/counter.h"
#include "particles/timer.h"

TEST(Timer, BothModesMeasureFromConstructionOrRestart) {
    struct Scope {
        ~Scope() { removeVirtualCounter(); }
    } scope;
    installVirtualCounter(1000000, true);
    setVirtualCounter(5000000);
    Timer counter;
    EXPECT_EQ(counter.elapsedMs(), 0.0);
    advanceVirtualCounter(250);  // a quarter of a millisecond at 1 MHz
    EXPECT_NEAR(counter.elapsedMs(), 0.25, 1e-6);
    advanceVirtualCounter(1500000 - 250);
    EXPECT_NEAR(counter.elapsedMs(), 1500.0, 1e-3);
    EXPECT_NEAR(counter.elapsedMs(), 1500.0, 1e-3);  // reading does not restart
    counter.restart();
    advanceVirtualCounter(20001);
    EXPECT_NEAR(counter.elapsedMs(), 20.001, 1e-4);

    // No high-resolution counter: the tick count, in whole milliseconds (37.999 ms read as 37).
    installVirtualCounter(1000000, false);
    Timer ticks;
    advanceVirtualCounter(37999);
    EXPECT_EQ(ticks.elapsedMs(), 37.0);
    // Restarted 6 ms before the 32-bit tick count wraps, read when it has reached 10 after the wrap.
    setVirtualTickCount(0xFFFFFFFFu - 5u);
    ticks.restart();
    EXPECT_EQ(ticks.elapsedMs(), 0.0);
    setVirtualTickCount(10);
    EXPECT_EQ(ticks.elapsedMs(), 16.0);

    // Each timer keeps the mode it was made with when the system's counter changes under it.
    installVirtualCounter(1000000, true);
    counter.restart();
    ticks.restart();
    advanceVirtualCounter(12500);
    EXPECT_EQ(ticks.elapsedMs(), 12.0);
    EXPECT_NEAR(counter.elapsedMs(), 12.5, 1e-3);
}

TEST(Timer, RealCounterNeverGoesBackwards) {
    ASSERT_FALSE(virtualCounterInstalled());
    Timer timer;
    const double first = timer.elapsedMs();
    EXPECT_GE(first, 0.0);
    EXPECT_LT(first, 1000.0);
    EXPECT_GE(timer.elapsedMs(), first);
}
