// Band-limited oscillators (polyBLEP saw and pulse), a table sine and a fast noise source, all inline so a
// voice's per-sample loop makes no calls.
#pragma once
#include <cstdint>

#include "audio/dsp.h"

constexpr int kSineTableSize = 4096;   // entries per cycle; one guard entry follows
const float* sineTable();              // kSineTableSize + 1 values of sin(2 pi i / size)

// Sine of a phase in cycles [0, 1), interpolated from the table (error about 1e-6).
inline float sineOfPhase(double phase) {
    const double position = phase * kSineTableSize;
    const int index = static_cast<int>(position);
    const float fraction = static_cast<float>(position - index);
    const float* table = sineTable();
    return table[index] + fraction * (table[index + 1] - table[index]);
}

// Wraps any phase into [0, 1).
inline double wrapPhase(double phase) { return phase - std::floor(phase); }

// The polynomial correction that removes most of the aliasing of a step at phase 0.
inline double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

struct SawOscillator {
    double phase = 0.0;       // cycles, [0, 1)
    double increment = 0.0;   // cycles per frame

    void setFrequency(double hz) { increment = hz / kSampleRate; }
    float next() {
        const double t = phase;
        phase += increment;
        if (phase >= 1.0) phase -= 1.0;
        return static_cast<float>(2.0 * t - 1.0 - polyBlep(t, increment));
    }
};

// A pulse as the difference of two saws; width 0.5 is a square.
struct PulseOscillator {
    double phase = 0.0;       // cycles, [0, 1)
    double increment = 0.0;   // cycles per frame
    double width = 0.5;       // fraction of the cycle spent high

    void setFrequency(double hz) { increment = hz / kSampleRate; }
    float next() {
        const double t = phase;
        double t2 = t + width;
        if (t2 >= 1.0) t2 -= 1.0;
        phase += increment;
        if (phase >= 1.0) phase -= 1.0;
        const double saw1 = 2.0 * t - 1.0 - polyBlep(t, increment);
        const double saw2 = 2.0 * t2 - 1.0 - polyBlep(t2, increment);
        return static_cast<float>(0.5 * (saw1 - saw2));
    }
};

struct SineOscillator {
    double phase = 0.0;       // cycles, [0, 1)
    double increment = 0.0;   // cycles per frame

    void setFrequency(double hz) { increment = hz / kSampleRate; }
    float next() {
        const float value = sineOfPhase(phase);
        phase += increment;
        if (phase >= 1.0) phase -= 1.0;
        return value;
    }
};

// xorshift32 white noise in [-1, 1): cheap, and the same sequence for the same seed on every run.
class NoiseSource {
public:
    explicit NoiseSource(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    float next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(static_cast<int32_t>(state_)) * (1.0f / 2147483648.0f);
    }

private:
    uint32_t state_;
};
