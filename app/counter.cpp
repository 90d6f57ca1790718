// Counter functions over SDL's performance counter, with a virtual counter for tests and capture.
#include "app/counter.h"

#include <SDL.h>

namespace {
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
    return static_cast<int64_t>(SDL_GetPerformanceCounter());
}

bool counterFrequency(int64_t& countsPerSecond) {
    if (virtualCounter.installed) {
        countsPerSecond = virtualCounter.hasHighResolutionCounter ? virtualCounter.countsPerSecond : 0;
        return virtualCounter.hasHighResolutionCounter;
    }
    countsPerSecond = static_cast<int64_t>(SDL_GetPerformanceFrequency());
    return countsPerSecond > 0;
}

uint32_t readTickCount() {
    if (virtualCounter.installed) return virtualTicks();
    // Milliseconds from the performance counter, since SDL_GetTicks counts from SDL_Init and the
    // dialog and timers run before and without it.
    const uint64_t frequency = SDL_GetPerformanceFrequency();
    return static_cast<uint32_t>(SDL_GetPerformanceCounter() / (frequency / 1000 ? frequency / 1000 : 1));
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
