// SIGTERM and SIGINT end the program at any moment with exit code 0, through the orderly shutdown
// wherever the program can take the request.
#pragma once

// Installed once, first thing: the signals are caught from then on (SDL then leaves them alone).
void installTerminationSignals();

// True once a signal has asked the program to end; message boxes are no longer shown then.
bool terminationRequested();
// The same, and the caller promises to end the program now: the watch then leaves it to the caller.
bool takeTerminationRequest();

// While a real display-mode change is in force, the program is never ended without its shutdown, which
// restores the desktop's mode.
void setDisplayModeChangeInForce(bool inForce);
