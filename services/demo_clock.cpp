// The demo clock reads the counter twice a frame: the next interval starts at the second reading.
#include "services/demo_clock.h"

#include "services/counter.h"

double demoTime = 0.0;
double frameTime = 0.0;
double demoStepMs = 0.0;
double secondsPerCount = 0.0;
int64_t lastCount = 0;

namespace {
// Without a high-resolution counter the tick count stands in, in milliseconds.
bool usingTickCount = false;

bool demoTimePinned = false;
double pinnedDemoTime = 0.0;   // ms

int64_t readClockCounter() { return usingTickCount ? static_cast<int64_t>(readTickCount()) : readCounter(); }
}  // namespace

void startDemoClock() {
    int64_t frequency = 0;
    usingTickCount = !counterFrequency(frequency) || frequency <= 0;
    secondsPerCount = usingTickCount ? 0.001 : 1.0 / static_cast<double>(frequency);
    demoTime = 0.0;
    demoStepMs = 0.0;
    lastCount = readClockCounter();
}

void advanceDemoClock() {
    const int64_t now = readClockCounter();
    int64_t elapsed = now - lastCount;
    if (usingTickCount) elapsed = static_cast<uint32_t>(now - lastCount);   // the tick count wraps
    frameTime = static_cast<double>(elapsed) * secondsPerCount * 1000.0;
    lastCount = readClockCounter();
    const double before = demoTime;
    demoTime = demoTimePinned ? pinnedDemoTime : demoTime + frameTime;
    demoStepMs = demoTime - before;
    demoTimePinned = false;
}

void pinNextDemoTime(double ms) {
    demoTimePinned = true;
    pinnedDemoTime = ms;
}
