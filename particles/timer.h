// Timer: milliseconds since construction or the last restart, on the high-resolution counter or,
// where the system has none, on the 32-bit millisecond tick count.
#pragma once
#include <cstdint>

class Timer {
public:
    Timer();                   // decides the mode once and starts counting
    void restart();            // the current count becomes the new start
    void moveStartOn(double ms);  // the start moves this much later, as if restarted then
    double elapsedMs() const;  // milliseconds since the last restart; does not restart

    int usePerformanceCounter = 1;  // nonzero: counter mode; 0: tick mode
    int64_t startCount = 0;         // counter value at the last restart (tick mode: low 32 bits, ms)
    float countPeriod = 0.0f;       // seconds per count, single precision; stays 0 in tick mode
};

// Steps that are due every intervalMs, as the particles take them. The particles were made on a 60 Hz
// display, where a step came at the first frame past its interval: every 2 frames (33.3 ms) for an
// interval of 20 ms. At any frame rate a step is due once that many 60 Hz frames have passed (a fifth
// of a frame early, so a late 60 Hz frame is not missed), and the timer moves on by exactly that span,
// so faster displays keep the 60 Hz pace instead of stepping sooner. After a stall longer than two
// steps the timer starts afresh: a stall is not made up.
bool stepIsDue(const Timer& timer, int intervalMs);
void moveOnOneStep(Timer& timer, int intervalMs);
