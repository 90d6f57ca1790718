// Counter functions over the system's monotonic clock (what SDL's performance counter reads on Linux),
// with a virtual counter for tests and capture. No platform library is needed, so every subsystem can
// read the time.
#include "services/counter.h"

#include <chrono>

namespace {
using MonotonicClock = std::chrono::steady_clock;

int64_t monotonicNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(MonotonicClock::now().time_since_epoch()).count();
}

struct VirtualCounter {
    bool installed = false;
    bool hasHighResolutionCounter = true;
    int64_t countsPerSecond = 1000000;
    int64_t count = 0;
    int64_t tickOffset = 0;   // milliseconds added to the tick count derived from count
};
VirtualCounter virtualCounter;

uint32_t virtualTicks() {
    const int64_t ms = virtualCounter.count * 1000 / virtualCounter.countsPerSecond;
    return static_cast<uint32_t>(static_cast<uint64_t>(ms + virtualCounter.tickOffset));
}
}  // namespace

int64_t readCounter() {
    if (virtualCounter.installed) return virtualCounter.count;
    return monotonicNanoseconds();
}

bool counterFrequency(int64_t& countsPerSecond) {
    if (virtualCounter.installed) {
        countsPerSecond = virtualCounter.hasHighResolutionCounter ? virtualCounter.countsPerSecond : 0;
        return virtualCounter.hasHighResolutionCounter;
    }
    countsPerSecond = 1000000000;   // the counter counts nanoseconds
    return true;
}

uint32_t readTickCount() {
    if (virtualCounter.installed) return virtualTicks();
    // Milliseconds of the same clock, wrapping like the tick count it stands for.
    return static_cast<uint32_t>(static_cast<uint64_t>(monotonicNanoseconds()) / 1000000);
}

void installVirtualCounter(int64_t countsPerSecond, bool hasHighResolutionCounter) {
    virtualCounter = VirtualCounter{};
    virtualCounter.installed = true;
    virtualCounter.hasHighResolutionCounter = hasHighResolutionCounter;
    virtualCounter.countsPerSecond = countsPerSecond > 0 ? countsPerSecond : 1;
}

void setVirtualCounter(int64_t count) { virtualCounter.count = count; }
void advanceVirtualCounter(int64_t counts) { virtualCounter.count += counts; }

void setVirtualTickCount(uint32_t milliseconds) {
    virtualCounter.tickOffset = 0;
    virtualCounter.tickOffset = static_cast<int64_t>(milliseconds) - static_cast<int64_t>(virtualTicks());
}

void removeVirtualCounter() { virtualCounter = VirtualCounter{}; }
bool virtualCounterInstalled() { return virtualCounter.installed; }
