// The credits' exit, replayed: scene 4 calls drawCredits with t = a - creditsStartMs (a the scene time)
// for every frame with a above creditsStartMs, and each call moves the block by the frame's span of
// demo time, counted in 60 Hz frames.
#include "demo/credits_exit.h"

#include "demo/credits.h"
#include "demo/timeline.h"
#include "services/demo_clock.h"

namespace {
// printText centres a line on its y; a line is gone when its bottom edge lies above the top of the
// orthographic square, computed in the float steps the drawing takes.
bool everyLineAboveTheTop(float scroll) {
    for (const CreditLine& line : creditLines)
        if (!((scroll + line.offset) - line.glyphHeight * 0.5f > 1.0f)) return false;
    return true;
}
}  // namespace

int64_t firstFrameWithoutCredits(const FrameTimes& frameMs, int64_t maxFrames) {
    const double scene4Start = sceneStartMs(timelineSceneCount - 1);
    float scroll = startCreditsScroll;
    double previousMs = 0.0;   // the clock starts at 0: the first frame spans no time
    for (int64_t frame = 0; frame < maxFrames; ++frame) {
        const double ms = frameMs(frame);
        const double stepMs = ms - previousMs;
        previousMs = ms;
        if (ms < scene4Start) continue;
        const double a = ms - scene4Start;
        if (!(a > creditsStartMs)) continue;
        scroll = creditsScrollAfterFrame(scroll, static_cast<float>(a - creditsStartMs), referenceFrames(stepMs));
        if (everyLineAboveTheTop(scroll)) return frame;   // the lines are drawn at the new scroll
    }
    return -1;
}
