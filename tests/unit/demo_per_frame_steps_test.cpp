// The effects that move once a frame, replayed at the frame times of common display and capture rates:
// each keeps the pace it has at 60 Hz, within the step one frame can make, and a 60 Hz run takes the very
// steps it always took.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "demo/credits.h"
#include "demo/credits_exit.h"
#include "demo/per_frame_steps.h"
#include "effects/overlays.h"
#include "frame_steps.h"
#include "particles/timer.h"
#include "services/counter.h"
#include "services/demo_clock.h"

namespace {
const FrameRate sixty{60, 1};
const std::vector<FrameRate> otherRates = {{30, 1}, {50, 1}, {60000, 1001}, {75, 1}, {120, 1}, {144, 1}, {240, 1}};

// Calls step(frames, ms) for every frame of the rate with a demo time in [fromMs, toMs], frames being
// the 60 Hz frames the frame spans since the one before it, as the clock gives them.
void replay(const FrameRate& rate, double fromMs, double toMs, const std::function<void(float, double)>& step) {
    const int64_t first = firstFrameAtOrAfter(rate, fromMs);
    for (int64_t k = first; frameTimeMs(rate, k) <= toMs; ++k) {
        const double previous = k > 0 ? frameTimeMs(rate, k - 1) : 0.0;
        step(referenceFrames(frameTimeMs(rate, k) - previous), frameTimeMs(rate, k));
    }
}

double frameMs(const FrameRate& rate) { return 1000.0 * static_cast<double>(rate.den) / static_cast<double>(rate.num); }

double creditsGoneMs(const FrameRate& rate) {
    const int64_t frame = firstFrameWithoutCredits([&](int64_t k) { return frameTimeMs(rate, k); }, 1 << 24);
    return frame < 0 ? -1.0 : frameTimeMs(rate, frame);
}

// The logo's scale on the last frame before it goes at 25 s; it grows from 22 s on.
float logoZoomAtEnd(const FrameRate& rate) {
    float zoom = 1.0f;
    replay(rate, 22000.0, 25000.0, [&](float frames, double ms) {
        if (ms > 22000.0 && ms < 25000.0) zoom = logoZoomAfterFrame(zoom, frames, ms - 22000.0);
    });
    return zoom;
}

// Scene 2's angle on its last frame up to 140 s, less what 60 Hz frames turn (3 degrees each) from its
// first frame to that one: the first frame turns nothing, and the rates' frames fall at other times.
double spinAt140sBeyondSixtyHertz(const FrameRate& rate) {
    int angle = 0;
    float carry = 0.0f;
    double firstMs = -1.0, lastMs = 0.0;
    replay(rate, 130000.0, 140000.0, [&](float frames, double ms) {
        angle += takeWholeSpinDegrees(carry, firstMs < 0.0 ? 0.0f : frames);
        if (firstMs < 0.0) firstMs = ms;
        lastMs = ms;
    });
    return angle - 3.0 * (lastMs - firstMs) / referenceFrameMs;
}

// What is left of the trail after one second: fed back once for each whole 60 Hz frame, at 0.99.
double trailAfterOneSecond(const FrameRate& rate) {
    double left = 1.0;
    float carry = 0.0f;
    replay(rate, 130000.0 + frameMs(rate), 131000.0, [&](float frames, double) {
        for (int n = takeWholeReferenceFrames(carry, frames); n > 0; --n) left *= zoomBlurOpacity(1.0f);
    });
    return left;
}

// Steps a particle timer of the interval takes over 10 s on a virtual counter at the rate.
int particleStepsIn10s(const FrameRate& rate, int intervalMs) {
    installVirtualCounter(rate.num * countsPerRateUnit);
    Timer timer;
    int steps = 0;
    for (int64_t k = 1; frameTimeMs(rate, k) <= 10000.0; ++k) {
        advanceVirtualCounter(countsPerFrame(rate));
        if (stepIsDue(timer, intervalMs)) {
            moveOnOneStep(timer, intervalMs);
            ++steps;
        }
    }
    removeVirtualCounter();
    return steps;
}
}  // namespace

TEST(DemoPerFrameSteps, SixtyHertzTakesTheOriginalStepsBitForBit) {
    // Every 60 fps frame of the whole demo is one reference frame, however its time rounds.
    for (int64_t k = 1; k < 18000 * 2; ++k)
        ASSERT_EQ(referenceFrames(frameTimeMs(sixty, k) - frameTimeMs(sixty, k - 1)), 1.0f) << "frame " << k;
    float zoom = 1.0f, original = 1.0f, scroll = -0.7f, originalScroll = -0.7f, carry = 0.0f, trailCarry = 0.0f;
    for (int k = 1; k < 5000; ++k) {
        zoom = logoZoomAfterFrame(zoom, 1.0f, k * 16.666666);
        original += 0.015f;
        const float t = static_cast<float>(k) * 16.666666f;
        scroll = creditsScrollAfterFrame(scroll, t, 1.0f);
        originalScroll = originalScroll + t * 2e-8f;
        ASSERT_EQ(takeWholeSpinDegrees(carry, 1.0f), 3);
        ASSERT_EQ(takeWholeReferenceFrames(trailCarry, 1.0f), 1);
    }
    EXPECT_EQ(zoom, original);
    EXPECT_EQ(scroll, originalScroll);
    EXPECT_EQ(zoomBlurOpacity(1.0f), 0.99f);
    // A particle with an interval of 20 ms steps every second 60 Hz frame, one of 60 ms every fourth.
    EXPECT_EQ(particleStepsIn10s(sixty, 20), 300);
    EXPECT_EQ(particleStepsIn10s(sixty, 60), 150);
}

TEST(DemoPerFrameSteps, EveryRateKeepsTheSixtyHertzPace) {
    const double credits60 = creditsGoneMs(sixty);
    const float zoom60 = logoZoomAtEnd(sixty);
    const double trail60 = trailAfterOneSecond(sixty);
    ASSERT_GT(credits60, 285000.0);   // about 82 s after the credits start at 209 s
    ASSERT_NEAR(zoom60, 1.0f + 0.015f * 179, 1e-3f);
    ASSERT_NEAR(spinAt140sBeyondSixtyHertz(sixty), 0.0, 1e-6);   // 600 frames of 3 degrees after the first
    for (const FrameRate& rate : otherRates) {
        SCOPED_TRACE(frameRateText(rate) + " fps");
        // A rate's own frames can only show the moment to within one of its frames.
        EXPECT_NEAR(creditsGoneMs(rate), credits60, std::max(referenceFrameMs, frameMs(rate)));
        EXPECT_NEAR(logoZoomAtEnd(rate), zoom60, 0.01f * zoom60);
        EXPECT_NEAR(spinAt140sBeyondSixtyHertz(rate), 0.0, 3.0);   // one whole-degree step of 60 Hz
        EXPECT_NEAR(trailAfterOneSecond(rate), trail60, 0.015 * trail60);   // one 60 Hz frame's fading
        for (int interval : {20, 60, 85})
            EXPECT_NEAR(particleStepsIn10s(rate, interval), particleStepsIn10s(sixty, interval), 1) << interval << " ms";
    }
}

TEST(DemoPerFrameSteps, AStallIsMadeUpInOneFrame) {
    // 10 s without a frame during the credits: the frame after it moves the block as 600 frames would.
    const double credits60 = creditsGoneMs(sixty);
    const int64_t stallFrame = 14000;   // 233.3 s
    auto stalled = [&](int64_t k) { return k < stallFrame ? frameTimeMs(sixty, k) : frameTimeMs(sixty, k + 600); };
    const int64_t frame = firstFrameWithoutCredits(stalled, 1 << 24);
    ASSERT_GT(frame, 0);
    EXPECT_NEAR(stalled(frame), credits60, referenceFrameMs);
    // A stall across the credits' start counts only the time since: as the 60 Hz frames up to 5.5 s did.
    float sixtyHz = startCreditsScroll;
    for (int k = 1; k * referenceFrameMs <= 5500.0; ++k)
        sixtyHz = creditsScrollAfterFrame(sixtyHz, static_cast<float>(k * referenceFrameMs), 1.0f);
    EXPECT_NEAR(creditsScrollAfterFrame(startCreditsScroll, 5500.0f, 3840.0f), sixtyHz, 5500.0f * 2e-8f);
    EXPECT_NEAR(logoZoomAfterFrame(1.0f, 3840.0f, 2000.0), 1.0f + 0.015f * 120, 0.015f);
    // The spin takes the stall's 1800 degrees at once, and a run that ends first never sees the credits go.
    float carry = 0.0f;
    EXPECT_EQ(takeWholeSpinDegrees(carry, 600.0f), 1800);
    EXPECT_EQ(firstFrameWithoutCredits([&](int64_t k) { return frameTimeMs(sixty, k); }, 12000), -1);
}
