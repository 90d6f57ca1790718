// Window, display mode, pixel format and context over SDL. The pixel format is fixed when an OpenGL
// window is created, so createGLWindow picks it (nearest depth first) and setupPixelFormat reports it.
// Full screen is the desktop's own (a borderless window at the display's resolution) with the picture
// scaled from a virtual screen of the chosen size; a real display-mode change only with --exclusive.
#include "platform/window.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "services/message_box.h"
#include "platform/quit_request.h"
#include "platform/signals.h"
#include "services/settings.h"
#include "platform/virtual_screen.h"
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
bool virtualFullscreen = false;   // full screen without a mode change: the picture is scaled if need be
bool windowHasDepth = true;       // false when the scenes can only draw into the virtual screen
int windowDisplay = 0;            // the display the window is on, chosen with --display
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

// The requested format first, then the nearest ones a driver may offer instead. A window that only
// receives the virtual screen's scaled picture needs no depth buffer, and has none: with one bound, the
// software rasteriser leaves its fast path for the scaling. halvex16 asks for 24 depth bits before 16:
// desktops give its window that much anyway (the sizes are minimums), and a driver that gives exactly
// what is asked (SDL's offscreen one) would otherwise lose the sky box, 40000 units out, to 16 bits.
int pixelFormatCandidates(PixelFormatRequest* out, bool withDepth) {
    if (requestedColorBits == 16) {
        if (!withDepth) {
            out[0] = {5, 6, 5, 0};
            return 1;
        }
        out[0] = {5, 6, 5, 24};
        out[1] = {5, 6, 5, 16};
        return 2;
    }
    if (!withDepth) {
        out[0] = {8, 8, 8, 0};
        return 1;
    }
    out[0] = {8, 8, 8, 32};
    out[1] = {8, 8, 8, 24};
    out[2] = {8, 8, 8, 16};
    return 3;
}

// The display already has the chosen size: the scenes may draw straight into the window.
bool desktopHasChosenSize() {
    SDL_DisplayMode desktop{};
    return SDL_GetDesktopDisplayMode(windowDisplay, &desktop) == 0 && desktop.w == screenWidth &&
           desktop.h == screenHeight;
}

SDL_Window* createWindow(const char* title, int width, int height, Uint32 flags) {
    SDL_Rect bounds{0, 0, 0, 0};
    SDL_GetDisplayBounds(windowDisplay, &bounds);
    return SDL_CreateWindow(title, bounds.x, bounds.y, width, height, flags | SDL_WINDOW_HIDDEN);
}

// --display N where the desktop has it; otherwise the primary one (SDL lists it first), with a word why.
int chooseDisplay() {
    const int displays = SDL_GetNumVideoDisplays();
    if (displayIndex <= 0 || displayIndex < displays) return displayIndex < 0 ? 0 : displayIndex;
    std::fprintf(stderr, "halvex: there is no display %d (displays 0 to %d); using the primary one\n", displayIndex,
                 displays - 1);
    return 0;
}

// Wayland cannot change display modes at all. A user who asked for one still wants the demo: it runs on
// the desktop's full screen instead.
bool exclusiveModeAvailable() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "wayland") != 0) return true;
    std::fputs("halvex: --exclusive is not available under Wayland, which cannot change display modes; "
               "using the desktop's full screen\n", stderr);
    return false;
}

// The swap waits for the display: adaptive where the driver offers it (a late frame is shown at once
// rather than a whole refresh later), else every refresh. --no-vsync shows frames as soon as they are done.
void setSwapInterval() {
    if (!swapInStep) {
        SDL_GL_SetSwapInterval(0);
        return;
    }
    if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
}

// The scenes draw at screenWidth x screenHeight. Where the display has another size they draw into a
// virtual screen of their own size, which each swap scales into the window; where it has that size they
// draw straight into the window. The picture can only be made where the driver can make that framebuffer.
void openVirtualScreenIfNeeded() {
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(deviceContext, &width, &height);
    if (windowHasDepth && width == screenWidth && height == screenHeight) return;
    std::string why;
    if (openVirtualScreen(screenWidth, screenHeight, requestedColorBits, why)) return;
    std::fprintf(stderr, "halvex: no %dx%d picture: %s\n", screenWidth, screenHeight, why.c_str());
    showMessageBox("Display Mode Not Compatible", "Chyba");
    postQuitRequest(0);
}

SDL_Window* createWindowWithPixelFormat(const char* title, int width, int height, Uint32 flags) {
    PixelFormatRequest candidates[3];
    windowHasDepth = !virtualFullscreen || desktopHasChosenSize();
    const int count = pixelFormatCandidates(candidates, windowHasDepth);
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
    pixelFormatCandidates(wanted, true);   // what the scenes draw with, wherever that is
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
    if (SDL_GetDesktopDisplayMode(windowDisplay, &current) != 0) {
        showMessageBox("Could Not Enum Display Settings", "Chyba");
        return;
    }
    // Only the size changes: the desktop's pixel format and refresh rate stay in force.
    const int modes = SDL_GetNumDisplayModes(windowDisplay);
    for (int i = 0; i < modes; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(windowDisplay, i, &mode) != 0) continue;
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
    // Sizes are pixels: on a scaled (HiDPI) desktop the drawable has more pixels than the window points.
    Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI;
    windowDisplay = chooseDisplay();
    wantedModeValid = false;
    virtualFullscreen = fullscreenWindow && !(exclusiveMode && exclusiveModeAvailable());
    if (virtualFullscreen) {
        // Alt+Tab away leaves the picture where it is: there is no desktop mode to give back.
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        SDL_ShowCursor(SDL_DISABLE);
        cursorHidden = true;
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        // The window covers the display from the start: without a window manager nothing would resize it.
        SDL_Rect bounds{0, 0, 0, 0};
        if (SDL_GetDisplayBounds(windowDisplay, &bounds) == 0 && bounds.w > 0 && bounds.h > 0) {
            width = bounds.w;
            height = bounds.h;
        }
    } else if (fullscreenWindow) {
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
    if (fullscreenWindow && !virtualFullscreen && !switchFailed) takeDrawableSize(window);
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
    setSwapInterval();
    if (virtualFullscreen) {
        openVirtualScreenIfNeeded();
        // The scenes see the picture's size wherever it is shown.
        clientRect = ClientRect{0, 0, screenWidth, screenHeight};
    } else {
        int width = 0, height = 0;
        SDL_GL_GetDrawableSize(deviceContext, &width, &height);
        if (width > 0 && height > 0) clientRect = ClientRect{0, 0, width, height};
    }
    reportObtainedPixelFormat();
}

int swapIntervalInForce() { return renderContext ? SDL_GL_GetSwapInterval() : 0; }

void destroyGLWindow() {
    if (renderContext) {
        closeVirtualScreen();
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
    if (!deviceContext) return;
    if (!virtualScreenOpen()) {
        SDL_GL_SwapWindow(deviceContext);
        return;
    }
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(deviceContext, &width, &height);
    presentVirtualScreen(width, height);
    SDL_GL_SwapWindow(deviceContext);
    resumeVirtualScreen();
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
    if (virtualScreenOpen()) {   // the frames are drawn there, not in the window's own buffers
        const VirtualScreenFormat drawn = virtualScreenFormat();
        info.red = drawn.red;
        info.green = drawn.green;
        info.blue = drawn.blue;
        info.depth = drawn.depth;
    }
    return info;
}
