// Filters: a topology-preserving state-variable filter (stable under fast cutoff sweeps) and a one-pole
// smoother, inline for the voices' loops.
#pragma once
#include <algorithm>
#include <cmath>

#include "audio/dsp.h"

class StateVariableFilter {
public:
    // Cutoff in Hz (kept below 0.45 of the sample rate), q the resonance (0.5 gentle .. 8 ringing).
    void set(double cutoffHz, double q) {
        const double cutoff = std::clamp(cutoffHz, 10.0, 0.45 * kSampleRate);
        const double g = std::tan(3.141592653589793 * cutoff / kSampleRate);
        k_ = static_cast<float>(1.0 / std::max(q, 0.1));
        a1_ = static_cast<float>(1.0 / (1.0 + g * (g + k_)));
        a2_ = static_cast<float>(g) * a1_;
        a3_ = static_cast<float>(g) * a2_;
    }
    float lowpass(float x) {
        step(x);
        return v2_;
    }
    float bandpass(float x) {
        step(x);
        return v1_;
    }
    float highpass(float x) {
        step(x);
        return x - k_ * v1_ - v2_;
    }

private:
    void step(float x) {
        const float v3 = x - ic2_;
        v1_ = a1_ * ic1_ + a2_ * v3;
        v2_ = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0f * v1_ - ic1_;
        ic2_ = 2.0f * v2_ - ic2_;
    }

    float k_ = 1.0f, a1_ = 0.0f, a2_ = 0.0f, a3_ = 0.0f;
    float ic1_ = 0.0f, ic2_ = 0.0f, v1_ = 0.0f, v2_ = 0.0f;
};

class OnePoleLowpass {
public:
    void setCutoff(double hz) { a_ = static_cast<float>(1.0 - std::exp(-kTwoPi * hz / kSampleRate)); }
    float process(float x) {
        z_ += a_ * (x - z_);
        return z_;
    }

private:
    float a_ = 1.0f, z_ = 0.0f;
};
