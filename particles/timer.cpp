// Timer over the counter module, so a virtual counter drives it in tests and the capture tool.
#include "particles/timer.h"

#include <cmath>

#include "services/counter.h"
#include "services/demo_clock.h"

Timer::Timer() {
    usePerformanceCounter = 1;
    int64_t frequency = 0;
    if (counterFrequency(frequency) && frequency > 0) {
        startCount = readCounter();
        countPeriod = static_cast<float>(1.0 / static_cast<double>(frequency));
    } else {
        usePerformanceCounter = 0;
        startCount = readTickCount();
    }
}

void Timer::restart() {
    if (usePerformanceCounter) {
        startCount = readCounter();
        return;
    }
    // Only the low 32 bits carry the tick count; the high half is left as it was.
    const uint64_t high = static_cast<uint64_t>(startCount) & 0xFFFFFFFF00000000ull;
    startCount = static_cast<int64_t>(high | readTickCount());
}

double Timer::elapsedMs() const {
    if (usePerformanceCounter) {
        const int64_t counts = readCounter() - startCount;
        return static_cast<double>(counts) * countPeriod * 1000.0;
    }
    // Unsigned 32-bit difference: a wrap of the tick count between restart and reading still
    // gives the small true interval.
    const uint32_t ticks = readTickCount() - static_cast<uint32_t>(startCount);
    return static_cast<double>(ticks);
}

void Timer::moveStartOn(double ms) {
    if (usePerformanceCounter) {
        startCount += std::llround(ms / 1000.0 / static_cast<double>(countPeriod));
        return;
    }
    const uint64_t high = static_cast<uint64_t>(startCount) & 0xFFFFFFFF00000000ull;
    const uint32_t low = static_cast<uint32_t>(startCount) + static_cast<uint32_t>(std::lround(ms));
    startCount = static_cast<int64_t>(high | low);
}

namespace {
// The whole 60 Hz frames, in ms, of a step: the smallest number of them longer than the interval.
double stepPeriodMs(int intervalMs) {
    return (std::floor(intervalMs / referenceFrameMs) + 1.0) * referenceFrameMs;
}
}  // namespace

bool stepIsDue(const Timer& timer, int intervalMs) {
    return timer.elapsedMs() > stepPeriodMs(intervalMs) - referenceFrameMs / 5.0;
}

void moveOnOneStep(Timer& timer, int intervalMs) {
    const double period = stepPeriodMs(intervalMs);
    if (timer.elapsedMs() > 2.0 * period) timer.restart();
    else timer.moveStartOn(period);
}
