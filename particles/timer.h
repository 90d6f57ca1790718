// Timer: milliseconds since construction or the last restart, on the high-resolution counter or,
// where the system has none, on the 32-bit millisecond tick count.
#pragma once
#include <cstdint>

class Timer {
public:
    Timer();                   // decides the mode once and starts counting
    void restart();            // the current count becomes the new start
    double elapsedMs() const;  // milliseconds since the last restart; does not restart

    int usePerformanceCounter = 1;  // nonzero: counter mode; 0: tick mode
    int64_t startCount = 0;         // counter value at the last restart (tick mode: low 32 bits, ms)
    float countPeriod = 0.0f;       // seconds per count, single precision; stays 0 in tick mode
};
