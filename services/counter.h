// Every time read of the program goes through these functions (demo clock, Timer), so a test or the
// capture tool can install a virtual counter that advances only when told.
#pragma once
#include <cstdint>

int64_t readCounter();                          // high-resolution counter, in counts
bool counterFrequency(int64_t& countsPerSecond); // false when there is no high-resolution counter
uint32_t readTickCount();                       // milliseconds, wraps at 2^32

// The virtual counter: from installVirtualCounter until removeVirtualCounter, time stands still
// unless the caller moves it. Its tick count follows the counter and can be set on its own.
void installVirtualCounter(int64_t countsPerSecond, bool hasHighResolutionCounter = true);
void setVirtualCounter(int64_t count);
void advanceVirtualCounter(int64_t counts);
void setVirtualTickCount(uint32_t milliseconds);
void removeVirtualCounter();
bool virtualCounterInstalled();
