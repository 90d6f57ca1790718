// An offscreen OpenGL context for GL tests (SDL's offscreen driver through EGL; no display needed).
// The offscreen driver is single-buffered: read pixels back from the front buffer.
#pragma once

// Creates the window and context once per process and makes it current; returns false with the
// reason in gtest's output when no context can be made. width x height is the drawable size.
bool makeGlTestContext(int width = 256, int height = 256);
void destroyGlTestContext();
