// Send effects and the master stage: a ping-pong echo, a diffuse stereo reverb (parallel damped combs
// into series all-passes) and a look-ahead peak limiter.
#pragma once
#include <cstddef>
#include <vector>

#include "audio/dsp.h"

// Echoes a mono send alternately left and right; each round trip is darker and quieter.
class PingPongDelay {
public:
    PingPongDelay(double delaySeconds, double feedback, double dampingHz);
    // Adds the echoes of send[0..frames) to out, scaled by gain.
    void process(const float* send, size_t frames, StereoBuffer& out, float gain);

private:
    std::vector<float> left_, right_;
    size_t position_ = 0;
    float feedback_, damp_, dampLeft_ = 0.0f, dampRight_ = 0.0f;
};

// A mono send made into a wide room: eight damped combs per side (the right side's tuned a little longer
// so the sides decorrelate), then four all-passes to smear the echoes into a tail.
class Reverb {
public:
    // decay 0..1 (comb feedback scale: 0.8 short hall, 0.9 very long), damping 0..1 (high-frequency loss).
    Reverb(double decay, double damping);
    void process(const float* send, size_t frames, StereoBuffer& out, float gain);

private:
    struct Comb {
        std::vector<float> buffer;
        size_t position = 0;
        float store = 0.0f;
    };
    struct AllPass {
        std::vector<float> buffer;
        size_t position = 0;
    };
    float runSide(float input, Comb* combs, AllPass* allPasses);

    Comb combs_[2][8];
    AllPass allPasses_[2][4];
    float feedback_, damp_;
};

// Keeps every sample within ceiling: the gain falls in a straight line over lookaheadSeconds before a
// peak that would exceed it and recovers over releaseSeconds afterwards, so no sample is clipped.
void limitPeaks(StereoBuffer& buffer, float ceiling, double lookaheadSeconds, double releaseSeconds);

// Largest absolute sample of both channels.
float peakOf(const StereoBuffer& buffer);
