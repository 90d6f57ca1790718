// The quit request: Escape, the close box and start-up failures post it; the main loop ends on it.
#pragma once

void postQuitRequest(int exitCode);
bool quitRequestPending();
int pendingQuitExitCode();   // the code of the first request posted
void clearQuitRequest();   // tests only
