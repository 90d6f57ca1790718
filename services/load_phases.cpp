// The observer behind markLoadPhase.
#include "services/load_phases.h"

namespace {
LoadPhaseObserver loadPhaseObserver = nullptr;
}

void setLoadPhaseObserver(LoadPhaseObserver observer) { loadPhaseObserver = observer; }

void markLoadPhase(const char* phase) {
    if (loadPhaseObserver) loadPhaseObserver(phase);
}
