// The settings chosen in the dialog, read by the window, the projections, the sound and the scenes.
#pragma once

extern int screenWidth;    // pixels: full-screen mode, or the window's client area (follows windowed resizes)
extern int screenHeight;   // pixels
extern bool fullscreen;
extern bool soundEnabled;

// Colour and depth bits the program asks of the pixel format: 16 for halvex16, 32 for halvex32.
extern int requestedColorBits;

// How the full screen is made and frames are presented; the command line sets them, nothing else does.
extern bool exclusiveMode;    // --exclusive: a real display-mode change (X11) instead of the desktop's full screen
extern bool stretchPicture;   // --stretch: the picture fills the screen whatever its shape
extern int displayIndex;      // --display N: the monitor, 0 the primary one
extern bool swapInStep;       // false with --no-vsync: a frame is shown without waiting for the display
extern bool originalAspect;   // --original-aspect: the 3D picture stretched by the integer width / height
