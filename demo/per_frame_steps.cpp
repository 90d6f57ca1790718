// The per-frame effects' steps, counted in 60 Hz frames.
#include "demo/per_frame_steps.h"

#include <algorithm>
#include <cmath>

#include "services/demo_clock.h"

namespace {
constexpr float logoZoomStep = 0.015f;       // per 60 Hz frame
constexpr float spinDegreesPerMs = 0.2f;
// What one 60 Hz frame turned, cut to whole degrees as the angles take them: 3.
const int spinStepPer60HzFrame = static_cast<int>(static_cast<float>(referenceFrameMs) * spinDegreesPerMs);
}  // namespace

float framesSinceStart(float frames, double sinceStartMs) {
    return std::min(frames, std::max(1.0f, static_cast<float>(sinceStartMs / referenceFrameMs)));
}

float logoZoomAfterFrame(float zoom, float frames, double sinceStartMs) {
    return zoom + logoZoomStep * framesSinceStart(frames, sinceStartMs);
}

int takeWholeSpinDegrees(float& carry, float frames) {
    carry += static_cast<float>(spinStepPer60HzFrame) * frames;
    const float whole = std::floor(carry);
    carry -= whole;
    return static_cast<int>(whole);
}

int takeWholeReferenceFrames(float& carry, float frames) {
    carry += frames;
    // A thousandth of a frame early, so the float sum of 0.8, 0.8, ... at 75 Hz does not miss its frame.
    const float whole = std::floor(carry + 1e-3f);
    carry = std::max(0.0f, carry - whole);
    return static_cast<int>(whole);
}
