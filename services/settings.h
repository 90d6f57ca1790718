// The settings chosen in the dialog, read by the window, the projections, the sound and the scenes.
#pragma once

extern int screenWidth;    // pixels: full-screen mode, or the window's client area (follows windowed resizes)
extern int screenHeight;   // pixels
extern bool fullscreen;
extern bool soundEnabled;

// Colour and depth bits the program asks of the pixel format: 16 for halvex16, 32 for halvex32.
extern int requestedColorBits;
