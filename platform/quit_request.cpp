// A quit request is a user event on SDL's queue carrying the exit code, so it is taken in order with
// the window events; the flag lets code that runs before the loop see that one is pending.
#include "platform/quit_request.h"

#include "platform/platform_events.h"

namespace {
bool quitPending = false;
int quitExitCode = 0;
}

void postQuitRequest(int exitCode) {
    if (!quitPending) quitExitCode = exitCode;
    quitPending = true;
    pushQuitEvent(exitCode);
}

bool quitRequestPending() { return quitPending; }
int pendingQuitExitCode() { return quitExitCode; }
void clearQuitRequest() { quitPending = false; }
