// The sample rate, the stereo buffer and the pitch and time helpers every part of the synthesiser shares.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;              // frames per second of everything the synthesiser makes
constexpr double kTwoPi = 6.283185307179586;

// Two channels of float samples in [-1, 1], kept apart so a voice's loop writes two plain arrays.
struct StereoBuffer {
    std::vector<float> left, right;

    StereoBuffer() = default;
    explicit StereoBuffer(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t frames() const { return left.size(); }
    void clear() {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
    }
};

// Equal-tempered pitch: MIDI note 69 is A 440 Hz; fractional notes bend between semitones.
inline double midiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// Seconds to the nearest frame; every event of the piece starts on a whole frame.
inline int64_t secondsToFrames(double seconds) { return static_cast<int64_t>(std::llround(seconds * kSampleRate)); }

// Pan -1 (left) .. 1 (right) as equal-power gains, so a voice keeps its loudness as it moves.
inline void panGains(float pan, float& left, float& right) {
    const double angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0) * 0.25 * 3.141592653589793;
    left = static_cast<float>(std::cos(angle) * 1.41421356);
    right = static_cast<float>(std::sin(angle) * 1.41421356);
}

// Flushes denormal floats to zero while alive: decaying filter and reverb tails otherwise crawl through
// denormal arithmetic at a hundred times the cost. Restores the previous mode on exit.
class DenormalGuard {
public:
    DenormalGuard();
    ~DenormalGuard();
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    unsigned saved_ = 0;
};
