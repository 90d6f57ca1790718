// When the closing credits have left the screen, found by replaying the scroll frame by frame. Each frame
// moves the block by what 60 Hz frames would have over its span, so any rate gives the same moment
// within a 60 Hz frame; the replay at a given rate says which of its frames that is.
#pragma once
#include <cstdint>
#include <functional>

// The demo time of frame k, for k = 0, 1, 2, ...
using FrameTimes = std::function<double(int64_t frame)>;

// The first frame at which every credit line lies wholly above the top of the screen, replaying the
// scroll exactly as scene 4 moves it; -1 when that does not happen before maxFrames.
int64_t firstFrameWithoutCredits(const FrameTimes& frameMs, int64_t maxFrames);
