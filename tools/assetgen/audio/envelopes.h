// Envelopes: the per-note attack-decay-sustain-release shape and the piecewise-linear automation curves
// that steer the arrangement (filter sweeps, levels, fades) over the length of the piece.
#pragma once
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "audio/dsp.h"

constexpr double kReleaseConstants = 5.0;   // time constants of release rendered after the gate

// Linear attack, exponential decay towards the sustain level, exponential release after the gate.
// Times are seconds; decay and release are time constants (the level falls to 37% per constant).
class Envelope {
public:
    Envelope(double attack, double decay, double sustain, double release, int64_t gateFrames)
        : attackFrames_(std::max<int64_t>(1, secondsToFrames(attack))),
          gateFrames_(gateFrames),
          sustain_(static_cast<float>(sustain)),
          decayCoef_(static_cast<float>(std::exp(-1.0 / (std::max(decay, 1e-4) * kSampleRate)))),
          releaseCoef_(static_cast<float>(std::exp(-1.0 / (std::max(release, 1e-4) * kSampleRate)))),
          releaseFrames_(secondsToFrames(release * kReleaseConstants)) {}

    // Frames until the release has fallen by 43 dB (five time constants): how long a voice must be rendered;
    // the rest lies below the reverb that follows.
    int64_t totalFrames() const { return gateFrames_ + releaseFrames_; }

    float next() {
        if (frame_ < gateFrames_) {
            if (frame_ < attackFrames_) {
                level_ = static_cast<float>(frame_) / static_cast<float>(attackFrames_);
            } else {
                decay_ *= decayCoef_;
                level_ = sustain_ + (1.0f - sustain_) * decay_;
            }
        } else {
            level_ *= releaseCoef_;
        }
        ++frame_;
        return level_;
    }

private:
    int64_t attackFrames_, gateFrames_;
    float sustain_, decayCoef_, releaseCoef_;
    int64_t releaseFrames_;
    int64_t frame_ = 0;
    float level_ = 0.0f, decay_ = 1.0f;
};

// A value over time in seconds: straight lines between breakpoints, held flat before the first and after
// the last. An empty curve is 1 everywhere.
class Automation {
public:
    Automation() = default;
    Automation(std::initializer_list<std::pair<double, double>> points) : points_(points) {}

    void add(double time, double value) { points_.emplace_back(time, value); }
    bool empty() const { return points_.empty(); }
    double at(double time) const;

private:
    std::vector<std::pair<double, double>> points_;   // (seconds, value), times ascending
};
