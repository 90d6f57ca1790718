// The demo clock in milliseconds, read from the counter: started at the end of loading, advanced once a
// frame. The effects that step once a frame scale their steps by demoStepMs, with a 60 Hz frame as the
// measure: the demo was made on a 60 Hz display, and at any other rate it keeps that look.
#pragma once
#include <cstdint>

extern double demoTime;         // ms since the clock was started at the end of loading
extern double frameTime;        // ms the counter measured for the most recent frame
extern double demoStepMs;       // ms of demo time the most recent frame added (exact when pinned)
extern double secondsPerCount;  // 1 / counter frequency
extern int64_t lastCount;       // counter value where the current frame interval began

void startDemoClock();
void advanceDemoClock();   // steps 1 to 4 of a frame: read the counter, add the elapsed time

// The capture tool's exact frame times: the next advanceDemoClock sets demoTime to ms instead of adding
// frameTime to it (frameTime is still read from the counter). A sum of rounded steps drifts; k x step
// computed once does not.
void pinNextDemoTime(double ms);

// A 60 Hz display's frame: the rate the per-frame effects were made at.
constexpr double referenceFrameMs = 1000.0 / 60.0;

// How many 60 Hz frames a span of demo time holds: what a per-frame step is multiplied by. Exactly 1.0f
// for any step of a 60 fps run (the float rounding absorbs the step's last bits), so such a run takes
// the very same steps as a display at 60 Hz.
inline float referenceFrames(double ms) { return static_cast<float>(ms / referenceFrameMs); }
