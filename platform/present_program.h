// The small shader program that scales the virtual screen's frame into the window. A plain textured
// rectangle drawn with it is what Mesa's software rasteriser recognises as a copy and runs on its fast
// 8-bit path (source and target 8/8/8/8 in BGRA order, no depth buffer bound), at about a third of the
// cost of the same rectangle drawn with fixed-function texturing or glBlitFramebuffer.
#pragma once
#include "image/gl_api.h"

// Compiles and links the program once per context. False where the driver has no GLSL or refuses it:
// the caller then presents another way.
bool makePresentProgram();
void releasePresentProgram();
bool presentProgramReady();

// Draws the texture bound on unit 0 (its filter already set) over the whole viewport with no
// transform, alpha included, and leaves the program that was in use before.
void drawWithPresentProgram();
