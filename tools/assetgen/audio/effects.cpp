// The echo, the reverb and the limiter; each works on whole buffers so its loop stays tight.
#include "audio/effects.h"

#include <algorithm>
#include <cmath>

PingPongDelay::PingPongDelay(double delaySeconds, double feedback, double dampingHz)
    : left_(static_cast<size_t>(std::max<int64_t>(1, secondsToFrames(delaySeconds))), 0.0f),
      right_(left_.size(), 0.0f),
      feedback_(static_cast<float>(feedback)),
      damp_(static_cast<float>(1.0 - std::exp(-kTwoPi * dampingHz / kSampleRate))) {}

void PingPongDelay::process(const float* send, size_t frames, StereoBuffer& out, float gain) {
    const size_t length = left_.size();
    float* outLeft = out.left.data();
    float* outRight = out.right.data();
    for (size_t i = 0; i < frames; ++i) {
        const float echoLeft = left_[position_];
        const float echoRight = right_[position_];
        dampLeft_ += damp_ * (echoLeft - dampLeft_);
        dampRight_ += damp_ * (echoRight - dampRight_);
        // The send enters on the left; the left echo crosses to the right, the right one returns left.
        left_[position_] = send[i] + feedback_ * dampRight_;
        right_[position_] = feedback_ * dampLeft_;
        outLeft[i] += gain * echoLeft;
        outRight[i] += gain * echoRight;
        if (++position_ == length) position_ = 0;
    }
}

namespace {
// Comb and all-pass lengths in frames at 44.1 kHz: mutually prime, 25 to 37 ms for the combs.
constexpr int kCombLengths[8] = {1109, 1187, 1279, 1361, 1423, 1489, 1559, 1627};
constexpr int kAllPassLengths[4] = {557, 443, 347, 229};
constexpr int kRightSpread = 29;   // extra frames on the right side's delays
constexpr float kAllPassFeedback = 0.5f;
}  // namespace

Reverb::Reverb(double decay, double damping)
    : feedback_(static_cast<float>(std::clamp(decay, 0.0, 0.98))), damp_(static_cast<float>(std::clamp(damping, 0.0, 1.0))) {
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 8; ++i) combs_[side][i].buffer.assign(kCombLengths[i] + side * kRightSpread, 0.0f);
        for (int i = 0; i < 4; ++i) allPasses_[side][i].buffer.assign(kAllPassLengths[i] + side * kRightSpread, 0.0f);
    }
}

float Reverb::runSide(float input, Comb* combs, AllPass* allPasses) {
    float sum = 0.0f;
    for (int i = 0; i < 8; ++i) {
        Comb& comb = combs[i];
        const float out = comb.buffer[comb.position];
        comb.store = out + damp_ * (comb.store - out);   // one-pole low-pass in the loop: highs die first
        comb.buffer[comb.position] = input + feedback_ * comb.store;
        if (++comb.position == comb.buffer.size()) comb.position = 0;
        sum += out;
    }
    for (int i = 0; i < 4; ++i) {
        AllPass& pass = allPasses[i];
        const float delayed = pass.buffer[pass.position];
        pass.buffer[pass.position] = sum + kAllPassFeedback * delayed;
        sum = delayed - kAllPassFeedback * pass.buffer[pass.position];
        if (++pass.position == pass.buffer.size()) pass.position = 0;
    }
    return sum;
}

void Reverb::process(const float* send, size_t frames, StereoBuffer& out, float gain) {
    float* outLeft = out.left.data();
    float* outRight = out.right.data();
    const float scaled = gain * 0.125f;   // eight combs add up
    for (size_t i = 0; i < frames; ++i) {
        const float input = send[i];
        outLeft[i] += scaled * runSide(input, combs_[0], allPasses_[0]);
        outRight[i] += scaled * runSide(input, combs_[1], allPasses_[1]);
    }
}

void limitPeaks(StereoBuffer& buffer, float ceiling, double lookaheadSeconds, double releaseSeconds) {
    const size_t frames = buffer.frames();
    if (frames == 0) return;
    std::vector<float> gain(frames);
    for (size_t i = 0; i < frames; ++i) {
        const float peak = std::max(std::fabs(buffer.left[i]), std::fabs(buffer.right[i]));
        gain[i] = peak > ceiling ? ceiling / peak : 1.0f;
    }
    // Backwards: the gain may rise by at most one attack step per frame away from a peak, so it is already
    // down when the peak arrives. Forwards: it may rise by at most one release step per frame afterwards.
    const float attackStep = 1.0f / static_cast<float>(std::max<int64_t>(1, secondsToFrames(lookaheadSeconds)));
    const float releaseStep = 1.0f / static_cast<float>(std::max<int64_t>(1, secondsToFrames(releaseSeconds)));
    for (size_t i = frames - 1; i-- > 0;) gain[i] = std::min(gain[i], gain[i + 1] + attackStep);
    for (size_t i = 1; i < frames; ++i) gain[i] = std::min(gain[i], gain[i - 1] + releaseStep);
    for (size_t i = 0; i < frames; ++i) {
        buffer.left[i] *= gain[i];
        buffer.right[i] *= gain[i];
    }
}

float peakOf(const StereoBuffer& buffer) {
    float peak = 0.0f;
    for (size_t i = 0; i < buffer.frames(); ++i)
        peak = std::max(peak, std::max(std::fabs(buffer.left[i]), std::fabs(buffer.right[i])));
    return peak;
}
