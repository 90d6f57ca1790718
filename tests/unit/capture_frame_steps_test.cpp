// Exact frame times and sample counts over long runs at broadcast rates, checked in integers against the
// exact ratios; the demo clock and the virtual counter stepped as the capture steps them; the box
// average of supersampling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "frame_steps.h"
#include "services/counter.h"
#include "services/demo_clock.h"
#include "supersample.h"

namespace {
// True when t is the double nearest to the exact ratio numerator / rate.num: with t = m x 2^e, the
// distance |m x num - numerator x 2^-e| may be at most num / 2, all in 128-bit integers.
bool nearestDouble(double t, int64_t numerator, int64_t num) {
    int exponent = 0;
    const double fraction = std::frexp(t, &exponent);                     // t = fraction x 2^exponent
    const auto mantissa = static_cast<__int128>(std::ldexp(fraction, 53));   // t = mantissa x 2^(exponent - 53)
    const int shift = 53 - exponent;
    if (t == 0.0) return numerator == 0;
    if (shift < 0 || shift > 60) return false;
    const __int128 difference = mantissa * num - (static_cast<__int128>(numerator) << shift);
    return 2 * (difference < 0 ? -difference : difference) <= num;
}

constexpr int64_t longRun = 18000 * 3;   // well past a whole demo at 60 fps
}  // namespace

TEST(CaptureFrameSteps, FrameTimesAreTheExactRatioRoundedOnceWithNoDrift) {
    for (const FrameRate rate : {FrameRate{60000, 1001}, FrameRate{30000, 1001}, FrameRate{24000, 1001},
                                 FrameRate{60, 1}, FrameRate{50, 1}}) {
        SCOPED_TRACE(frameRateText(rate));
        for (int64_t k = 0; k <= longRun; ++k) {
            const double t = frameTimeMs(rate, k);
            ASSERT_TRUE(nearestDouble(t, k * 1000 * rate.den, rate.num)) << "frame " << k << " at " << t;
            ASSERT_EQ(firstFrameAtOrAfter(rate, t), k);
        }
    }
    EXPECT_EQ(frameTimeMs(FrameRate{60000, 1001}, 18000), 300300.0);   // 18000 x 1001 / 60, exactly
    EXPECT_EQ(frameAtExactTime(FrameRate{60000, 1001}, 300300.0), 18000);
    EXPECT_EQ(frameAtExactTime(FrameRate{60000, 1001}, 300000.0), -1);
    EXPECT_EQ(firstFrameAtOrAfter(FrameRate{60000, 1001}, 300000.0), 17983);   // 17982.018 frames
}

TEST(CaptureFrameSteps, TheSoundHoldsRoundedSamplesAfterAnyNumberOfFrames) {
    for (const FrameRate rate : {FrameRate{60000, 1001}, FrameRate{30000, 1001}, FrameRate{60, 1}}) {
        for (const int sampleRate : {48000, 44100}) {
            SCOPED_TRACE(frameRateText(rate) + " at " + std::to_string(sampleRate));
            int64_t total = 0;
            for (int64_t k = 0; k <= longRun; ++k) {
                const int64_t samples = samplesBeforeFrame(rate, sampleRate, k);
                // round(x), x = k x sampleRate x den / num, halves up: 2 s num lies in (2 x num - num, 2 x num + num].
                const int64_t twiceExact = 2 * k * sampleRate * rate.den;
                ASSERT_TRUE(2 * samples * rate.num > twiceExact - rate.num && 2 * samples * rate.num <= twiceExact + rate.num)
                    << "frame " << k << ": " << samples;
                ASSERT_EQ(total, samples);   // the chunks of the frames add up to it, frame by frame
                total += samplesBeforeFrame(rate, sampleRate, k + 1) - samples;
            }
        }
    }
    // 18000 frames at 60000/1001 are 300.3 s: 14,414,400 samples at 48 kHz, 13,243,230 at 44.1 kHz.
    EXPECT_EQ(samplesBeforeFrame(FrameRate{60000, 1001}, 48000, 18000), 14414400);
    EXPECT_EQ(samplesBeforeFrame(FrameRate{60000, 1001}, 44100, 18000), 13243230);
    // One frame at 30000/1001 and 44.1 kHz is 1471.47 samples; two are 2942.94, rounded up.
    EXPECT_EQ(samplesBeforeFrame(FrameRate{30000, 1001}, 44100, 1), 1471);
    EXPECT_EQ(samplesBeforeFrame(FrameRate{30000, 1001}, 44100, 2), 2943);
}

TEST(CaptureFrameSteps, TheDemoClockLandsOnEveryFrameTimeAndTheCounterStepsWholeCounts) {
    const FrameRate rate{60000, 1001};
    installVirtualCounter(counterFrequency(rate));
    startDemoClock();
    double drifting = 0.0;   // what summing the steps would give
    for (int64_t k = 0; k <= longRun; ++k) {
        if (k > 0) advanceVirtualCounter(countsPerFrame(rate));
        pinNextDemoTime(frameTimeMs(rate, k));
        advanceDemoClock();
        drifting += frameTime;
        ASSERT_EQ(demoTime, frameTimeMs(rate, k)) << "frame " << k;
        // The counter read by the timers is exactly k frames: k x den / num seconds.
        ASSERT_EQ(readCounter() * rate.num, k * countsPerFrame(rate) * rate.num);
        ASSERT_EQ(readCounter() * 1000 / counterFrequency(rate), k * 1000 * rate.den / rate.num);
    }
    EXPECT_NEAR(frameTime, 1001.0 / 60.0, 1e-12);
    EXPECT_NE(drifting, frameTimeMs(rate, longRun));   // the sum drifts; the pinned clock does not
    removeVirtualCounter();
}

TEST(CaptureFrameSteps, SupersamplingAveragesEachBlockRoundedAndFlipsTheRows) {
    // 2 x 1 frame from a 4 x 2 render (n = 2), rows bottom first as glReadPixels gives them.
    const std::vector<uint8_t> render = {
        // bottom row: pixels 0..3
        0, 0, 0, 255, 255, 255, 10, 20, 30, 11, 21, 31,
        // top row
        1, 1, 1, 255, 255, 255, 12, 22, 32, 13, 23, 32};
    RgbPicture frame;
    averageBlocks(render, 2, 1, 2, frame);
    ASSERT_EQ(frame.pixels.size(), 6u);
    // (0 + 255 + 1 + 255 + 2) / 4 = 128.25 -> 128; (10 + 11 + 12 + 13 + 2) / 4 = 12 (11.5 rounds up);
    // (30 + 31 + 32 + 32 + 2) / 4 = 31.75 -> 31 (125 / 4 = 31.25).
    EXPECT_EQ(std::vector<uint8_t>(frame.pixels.begin(), frame.pixels.end()),
              (std::vector<uint8_t>{128, 128, 128, 12, 22, 31}));

    // n = 1 only turns the rows over.
    const std::vector<uint8_t> twoRows = {1, 2, 3, 4, 5, 6};
    averageBlocks(twoRows, 1, 2, 1, frame);
    EXPECT_EQ(frame.pixels, (std::vector<uint8_t>{4, 5, 6, 1, 2, 3}));

    // n = 3 over a 3 x 6 render into 1 x 2: the top output pixel averages the top three rows.
    std::vector<uint8_t> tall(3 * 6 * 3);
    for (int y = 0; y < 6; ++y)
        for (int i = 0; i < 9; ++i) tall[y * 9 + i] = static_cast<uint8_t>(y < 3 ? 0 : 200 + (i % 3));
    averageBlocks(tall, 1, 2, 3, frame);
    EXPECT_EQ(frame.pixels, (std::vector<uint8_t>{200, 201, 202, 0, 0, 0}));
}
