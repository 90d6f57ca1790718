// The demo's one window, the full-screen display mode, the pixel format and the OpenGL context.
#pragma once
#include <cstdint>
#include <vector>

struct SDL_Window;
using WindowHandle = SDL_Window*;

extern WindowHandle windowHandle;    // stored by initDemo from createGLWindow's result
extern WindowHandle deviceContext;   // the drawable frames are presented on, set by createGLContext
extern void* renderContext;          // the OpenGL context, null when none could be made

constexpr const char* windowTitle = "ORX Halvex";

// Which of SDL's video drivers a caller can use. The programs need one that shows a window (X11 or
// Wayland); the capture tool and the GL tests render into the offscreen driver on purpose.
enum class VideoDrivers { onScreen, offscreen };

// Starts the platform's video layer on one of the accepted drivers; false (with the reason on standard
// error) when there is no display, including when SDL could only fall back to a driver that shows nothing.
bool startVideo(VideoDrivers accepted);
void stopVideo();

WindowHandle createGLWindow(const char* title, int width, int height, bool fullscreenWindow);
void changeDisplayMode();
bool setupPixelFormat(WindowHandle drawable);
void createGLContext();
void destroyGLWindow();
// Presents the frame; from the virtual screen, scaled into the window, when full screen needs it.
void swapFrame();
// The swap interval the context has: -1 (adaptive) or 1 when the swap waits for the display, 0 with --no-vsync.
int swapIntervalInForce();
// The icon task bars show for the window: 8-bit RGBA pixels, rows top first. Given before
// createGLWindow, it is on the window before the window is mapped, so a task bar never shows it bare.
void setWindowIcon(int width, int height, std::vector<uint8_t> rgba);

// What the chosen pixel format actually has, read back after the context was made.
struct PixelFormatInfo {
    int red = 0, green = 0, blue = 0, alpha = 0, depth = 0, stencil = 0;
    bool doubleBuffered = false;
};
PixelFormatInfo obtainedPixelFormat();
