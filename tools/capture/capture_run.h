// The offscreen run of halvex-capture: the real initDemo and renderFrame on a virtual clock, frames read
// back after each step, the sound mixed through the loopback device step by step.
#pragma once
#include <cstdio>

#include "capture_options.h"

// The settings the dialog would have made, taken from the options, with message boxes on standard error.
void applyCaptureSettings(const CaptureOptions& options);

// Moves to the folder that holds data/ (--data-root, or the programs' data search); false when --data-root
// cannot be entered.
bool enterDataRoot(const CaptureOptions& options);

// Returns the process exit code: 0 when everything asked for was written, 1 otherwise.
int runCapture(const CaptureOptions& options);

// Renders in real time as fast as possible and prints the per-scene and start-up figures.
int runBenchmark(const CaptureOptions& options);

// Without --to (or --at), sets the end of the run to the end of the demo at the options' rate, read from
// the data in the working directory, and says on standard error when that is. False when --from lies
// after it.
bool settleCaptureEnd(CaptureOptions& options, FILE* report);
