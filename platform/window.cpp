// Window, display mode, pixel format and context over SDL. The pixel format is fixed when an OpenGL
// window is created, so createGLWindow picks it (nearest depth first) and setupPixelFormat reports it.
#include "platform/window.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "services/message_box.h"
#include "platform/quit_request.h"
#include "platform/signals.h"
#include "services/settings.h"
#include "platform/wayland_probe.h"
#include "platform/window_proc.h"

WindowHandle windowHandle = nullptr;
WindowHandle deviceContext = nullptr;
void* renderContext = nullptr;

namespace {
struct PixelFormatRequest {
    int red, green, blue, depth;
};

bool pixelFormatChosen = false;
PixelFormatRequest chosenPixelFormat{};
bool displayModeChanged = false;
bool cursorHidden = false;
SDL_DisplayMode wantedMode{};
bool wantedModeValid = false;
int iconWidth = 0, iconHeight = 0;
std::vector<uint8_t> iconPixels;

void applyWindowIcon(SDL_Window* window) {
    if (iconWidth <= 0 || iconHeight <= 0 || iconPixels.size() != size_t(iconWidth) * size_t(iconHeight) * 4) return;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(iconPixels.data(), iconWidth, iconHeight, 32,
                                                           iconWidth * 4, SDL_PIXELFORMAT_RGBA32);
    if (icon) SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

void applyPixelFormatRequest(const PixelFormatRequest& request) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, request.red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, request.green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, request.blue);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, request.depth);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

// The requested format first, then the nearest ones a driver may offer instead.
int pixelFormatCandidates(PixelFormatRequest* out) {
    if (requestedColorBits == 16) {
        out[0] = {5, 6, 5, 16};
        return 1;
    }
    out[0] = {8, 8, 8, 32};
    out[1] = {8, 8, 8, 24};
    out[2] = {8, 8, 8, 16};
    return 3;
}

SDL_Window* createWindow(const char* title, int width, int height, Uint32 flags) {
    return SDL_CreateWindow(title, 0, 0, width, height, flags | SDL_WINDOW_HIDDEN);
}

SDL_Window* createWindowWithPixelFormat(const char* title, int width, int height, Uint32 flags) {
    PixelFormatRequest candidates[3];
    const int count = pixelFormatCandidates(candidates);
    for (int i = 0; i < count; ++i) {
        applyPixelFormatRequest(candidates[i]);
        if (SDL_Window* window = createWindow(title, width, height, flags | SDL_WINDOW_OPENGL)) {
            pixelFormatChosen = true;
            chosenPixelFormat = candidates[i];
            return window;
        }
    }
    // No OpenGL window at all: the window still exists, and the context step reports the failure.
    pixelFormatChosen = false;
    return createWindow(title, width, height, flags);
}

// A full-screen mode that was not applied as asked leaves the drawable at another size: the picture
// follows the drawable so that it fills the screen.
void takeDrawableSize(SDL_Window* window) {
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    if (width <= 0 || height <= 0) SDL_GetWindowSize(window, &width, &height);
    if (width > 0 && height > 0 && (width != screenWidth || height != screenHeight)) {
        screenWidth = width;
        screenHeight = height;
    }
}

// Drivers treat the sizes as minimums; say so when the format differs from the one asked for.
void reportObtainedPixelFormat() {
    PixelFormatRequest wanted[3];
    pixelFormatCandidates(wanted);
    const PixelFormatInfo got = obtainedPixelFormat();
    if (got.red == wanted[0].red && got.green == wanted[0].green && got.blue == wanted[0].blue &&
        got.depth == wanted[0].depth)
        return;
    std::fprintf(stderr, "halvex: asked for colour %d/%d/%d with depth %d, the driver gave %d/%d/%d with depth %d\n",
                 wanted[0].red, wanted[0].green, wanted[0].blue, wanted[0].depth, got.red, got.green, got.blue,
                 got.depth);
}

// The end-to-end tests cannot make a real display refuse a mode it lists, so they ask for the failure.
bool modeSwitchFailureForced() {
    const char* forced = std::getenv("HALVEX_TEST_FAIL_MODE_SWITCH");
    return forced && *forced == '1';
}

// A mode found in the list can still fail to be set; the user is told as for a mode not listed at all.
bool switchToWantedMode(SDL_Window* window) {
    if (SDL_SetWindowDisplayMode(window, &wantedMode) != 0) return false;
    SDL_ShowWindow(window);
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) return false;
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0 && !modeSwitchFailureForced();
}

// Xlib cannot go on once the server is gone: its default handler, and GTK's, end the process without a
// word. Nothing can be released on a dead connection either, so say why and leave at once.
int displayConnectionLost(Display*) {
    std::fputs("halvex: the connection to the display was lost (the X server ended); the demo stops.\n", stderr);
    _exit(1);
}

// SDL tries its drivers in turn and ends, without a word, on one that shows nothing (offscreen, dummy)
// when the X server cannot be reached and Wayland is not there: a demo nobody can see is no demo.
bool videoDriverAccepted(VideoDrivers accepted, const char* driver) {
    if (!driver) return false;
    const std::string_view name = driver;
    if (accepted == VideoDrivers::offscreen) return name == "offscreen";
    return name == "x11" || name == "wayland";
}

void restoreDisplay() {
    if (windowHandle && displayModeChanged) SDL_SetWindowFullscreen(windowHandle, 0);
    displayModeChanged = false;
    setDisplayModeChangeInForce(false);
    if (cursorHidden) SDL_ShowCursor(SDL_ENABLE);
    cursorHidden = false;
}
}  // namespace

bool startVideo(VideoDrivers accepted) {
    // The window's class is the menu entry's StartupWMClass, so task bars show the entry's icon. SDL 2.26
    // reads these from the environment when the video starts; a value the user set wins.
    setenv("SDL_VIDEO_X11_WMCLASS", "halvex", 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", "halvex", 0);
    // Over SDL_VIDEODRIVER too: an offscreen caller never opens a window, whatever the environment says.
    if (accepted == VideoDrivers::offscreen)
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    else if (!chooseVideoDriverForCompositor())
        return false;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "halvex: cannot open a display (%s). Start it from a desktop session.\n",
                     SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!videoDriverAccepted(accepted, driver)) {
        std::fprintf(stderr, "halvex: cannot open a display (SDL found only its %s video driver). Start it from a "
                     "desktop session.\n", driver ? driver : "null");
        SDL_Quit();
        return false;
    }
    XSetIOErrorHandler(displayConnectionLost);   // after GTK's dialog, which installed its own
    return true;
}

void stopVideo() { SDL_Quit(); }

void changeDisplayMode() {
    SDL_DisplayMode current{};
    wantedModeValid = false;
    if (SDL_GetDesktopDisplayMode(0, &current) != 0) {
        showMessageBox("Could Not Enum Display Settings", "Chyba");
        return;
    }
    // Only the size changes: the desktop's pixel format and refresh rate stay in force.
    const int modes = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < modes; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        if (mode.w == screenWidth && mode.h == screenHeight) {
            wantedMode = current;
            wantedMode.w = screenWidth;
            wantedMode.h = screenHeight;
            if (mode.format == current.format && mode.refresh_rate == current.refresh_rate) wantedMode = mode;
            wantedModeValid = true;
            return;
        }
    }
    showMessageBox("Display Mode Not Compatible", "Chyba");
    postQuitRequest(0);
}

WindowHandle createGLWindow(const char* title, int width, int height, bool fullscreenWindow) {
    Uint32 flags = 0;
    if (fullscreenWindow) {
        changeDisplayMode();
        SDL_ShowCursor(SDL_DISABLE);
        cursorHidden = true;
        flags |= wantedModeValid ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_BORDERLESS;
    }
    SDL_Window* window = createWindowWithPixelFormat(title, width, height, flags);
    if (!window) {
        restoreDisplay();   // nothing else would put the cursor back before the process ends
        return nullptr;
    }
    applyWindowIcon(window);   // while it is still hidden
    bool switchFailed = false;
    if (fullscreenWindow && wantedModeValid) {
        displayModeChanged = true;   // created full screen: undone at the end even if the switch failed
        setDisplayModeChangeInForce(true);
        switchFailed = !switchToWantedMode(window);
        if (switchFailed) {
            showMessageBox("Display Mode Not Compatible", "Chyba");
            postQuitRequest(0);
        }
    }
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    if (fullscreenWindow && !switchFailed) takeDrawableSize(window);
    return window;
}

bool setupPixelFormat(WindowHandle drawable) {
    if (!drawable || !pixelFormatChosen) {
        showMessageBox("ChoosePixelFormat failed", "Chyba");
        return false;
    }
    return true;
}

void createGLContext() {
    deviceContext = windowHandle;
    if (!setupPixelFormat(deviceContext)) {
        postQuitRequest(0);
        return;
    }
    renderContext = SDL_GL_CreateContext(deviceContext);
    if (!renderContext) {
        showMessageBox("Could Not Create OpenGL Context", "Chyba");
        postQuitRequest(0);
        return;
    }
    SDL_GL_MakeCurrent(deviceContext, renderContext);
    SDL_GL_SetSwapInterval(0);   // frames are rendered back to back
    reportObtainedPixelFormat();
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(deviceContext, &width, &height);
    if (width > 0 && height > 0) clientRect = ClientRect{0, 0, width, height};
}

void destroyGLWindow() {
    if (renderContext) {
        SDL_GL_MakeCurrent(deviceContext, nullptr);
        SDL_GL_DeleteContext(renderContext);
        renderContext = nullptr;
    }
    deviceContext = nullptr;
    if (fullscreen) restoreDisplay();
    if (windowHandle) SDL_DestroyWindow(windowHandle);
    windowHandle = nullptr;
    postQuitRequest(0);
}

void setWindowIcon(int width, int height, std::vector<uint8_t> rgba) {
    iconWidth = width;
    iconHeight = height;
    iconPixels = std::move(rgba);
}

void swapFrame() {
    if (deviceContext) SDL_GL_SwapWindow(deviceContext);
}

PixelFormatInfo obtainedPixelFormat() {
    PixelFormatInfo info;
    if (!renderContext) return info;
    int doubleBuffer = 0;
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &info.red);
    SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &info.green);
    SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &info.blue);
    SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &info.alpha);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &info.depth);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &info.stencil);
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
    info.doubleBuffered = doubleBuffer != 0;
    return info;
}
