// Names the phases of loading as they begin, so a benchmark can time them; nothing happens unless an
// observer is installed.
#pragma once

using LoadPhaseObserver = void (*)(const char* phase);

void setLoadPhaseObserver(LoadPhaseObserver observer);   // nullptr removes it
void markLoadPhase(const char* phase);                   // called by the loading as each phase begins
