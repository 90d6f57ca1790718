// SDL's queue carries the window events and the quit request, a user event with the exit code.
#include "platform/platform_events.h"

#include <SDL.h>

#include "platform/signals.h"

namespace {
Uint32 quitEventType = 0;

Uint32 quitEvent() {
    if (quitEventType == 0) quitEventType = SDL_RegisterEvents(1);
    return quitEventType;
}

// SDL reports sizes in points; on a scaled (HiDPI) desktop the drawable has more pixels than that.
void clientSizeInPixels(Uint32 windowId, int& width, int& height) {
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    if (!window || (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0) return;
    int pixelWidth = 0, pixelHeight = 0;
    SDL_GL_GetDrawableSize(window, &pixelWidth, &pixelHeight);
    if (pixelWidth > 0 && pixelHeight > 0) {
        width = pixelWidth;
        height = pixelHeight;
    }
}

WindowMessage translateWindowEvent(const SDL_WindowEvent& event) {
    WindowMessage message;
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        message.kind = WindowMessageKind::Size;
        message.width = event.data1;
        message.height = event.data2;
        clientSizeInPixels(event.windowID, message.width, message.height);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        message.kind = WindowMessageKind::Size;   // a minimised window has a 0 x 0 client area
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        message.kind = WindowMessageKind::Paint;
        break;
    case SDL_WINDOWEVENT_CLOSE:
        message.kind = WindowMessageKind::Close;
        break;
    default:
        break;
    }
    return message;
}
}  // namespace

void pushQuitEvent(int exitCode) {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
    SDL_Event event{};
    event.type = quitEvent();
    event.user.code = exitCode;
    SDL_PushEvent(&event);
}

PolledEvent pollEvent(WindowMessage& message, int& exitCode) {
    if (takeTerminationRequest()) {   // a signal ends the loop as a quit request with code 0 would
        exitCode = 0;
        return PolledEvent::Quit;
    }
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return PolledEvent::None;
    message = WindowMessage{};
    if (event.type == quitEvent()) {
        exitCode = event.user.code;
        return PolledEvent::Quit;
    }
    switch (event.type) {
    case SDL_WINDOWEVENT:
        message = translateWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
        message.kind = WindowMessageKind::KeyDown;
        message.key = event.key.keysym.sym == SDLK_ESCAPE ? escapeKey : 0;
        break;
    case SDL_QUIT:   // the session asks the program to end (the last window closed)
        message.kind = WindowMessageKind::Close;
        break;
    default:
        break;
    }
    return PolledEvent::Window;
}
