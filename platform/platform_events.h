// The event queue of the platform layer, seen from the main loop without any toolkit header.
#pragma once
#include "platform/window_proc.h"

// Puts a quit request carrying the exit code on the queue (ignored when the queue does not exist).
void pushQuitEvent(int exitCode);

enum class PolledEvent { None, Quit, Window };

// Takes one pending event: a quit request (with its exit code) or a window message for windowProc.
PolledEvent pollEvent(WindowMessage& message, int& exitCode);
