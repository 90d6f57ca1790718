// The demo clock in milliseconds, read from the counter: started at the end of loading, advanced once a
// frame. The scenes read frameTime for their frame-rate-dependent steps.
#pragma once
#include <cstdint>

extern double demoTime;         // ms since the clock was started at the end of loading
extern double frameTime;        // ms added by the most recent frame
extern double secondsPerCount;  // 1 / counter frequency
extern int64_t lastCount;       // counter value where the current frame interval began

void startDemoClock();
void advanceDemoClock();   // steps 1 to 4 of a frame: read the counter, add the elapsed time

// The capture tool's exact frame times: the next advanceDemoClock sets demoTime to ms instead of adding
// frameTime to it (frameTime is still read from the counter). A sum of rounded steps drifts; k x step
// computed once does not.
void pinNextDemoTime(double ms);
