// The worker that keeps streamed sounds fed on a real sound device, which mixes on its own clock: it
// calls one function at a steady interval until it is stopped. The loopback device needs none, since
// its caller feeds the streams before every mix.
#pragma once

// Starts the worker unless it runs already; false when no thread can be made.
bool startStreamFeeder(void (*feed)(), int intervalMs);
// Stops the worker and waits for it; the feed function is not called after this returns.
void stopStreamFeeder();
bool streamFeederRunning();
