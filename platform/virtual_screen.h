// The virtual full screen: the demo draws at its chosen size into an offscreen framebuffer, and each
// frame is scaled into the window, which covers the display at the desktop's own resolution.
#pragma once
#include <string>

// A rectangle of the window's drawable in pixels, origin at the bottom left as OpenGL counts.
struct PictureRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Where a picture of the given size goes on a screen of the given size: the largest centred rectangle
// of the picture's shape, or the whole screen when stretched.
PictureRect placePicture(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight, bool stretch);

// The ways a frame can be scaled into the window; the benchmark times each. The program uses the shader
// quad where the driver runs GLSL, else the linear blit.
enum class PresentMethod { ShaderQuad, TexturedQuad, TexturedQuadNearest, BlitLinear, BlitNearest };
const char* presentMethodName(PresentMethod method);
// The way the open virtual screen's frames are presented.
PresentMethod presentMethodInUse();

// Makes the offscreen framebuffer (width x height, 5/6/5 colour with depth 16 for colorBits 16, 8/8/8
// with the deepest of depth 32, 24, 16 otherwise) and draws into it from now on. False, with the
// reason in `why`, when the driver has no framebuffer objects or the size is over its limits.
bool openVirtualScreen(int width, int height, int colorBits, std::string& why);
bool virtualScreenOpen();
void closeVirtualScreen();

// The frame drawn offscreen, scaled into the drawable (in pixels), black around it; the caller swaps.
// resumeVirtualScreen makes sure the next frame is drawn offscreen again.
void presentVirtualScreen(int drawableWidth, int drawableHeight);
void resumeVirtualScreen();

// For measuring without a display of that size: from now on frames are presented into an offscreen
// framebuffer of width x height pixels instead of the window. False when it cannot be made.
bool presentIntoStandIn(int width, int height);

// The colour and depth bits the offscreen framebuffer got.
struct VirtualScreenFormat {
    int red = 0, green = 0, blue = 0, depth = 0;
};
VirtualScreenFormat virtualScreenFormat();

// The median time in milliseconds of presenting one frame with the given method into a target of the
// given size (a framebuffer standing in for the window), glFinish included. Needs an open virtual screen;
// answers a negative time when the method cannot run.
double measurePresentation(PresentMethod method, int targetWidth, int targetHeight, int frames);
