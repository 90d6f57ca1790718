// One offscreen window and context shared by the GL tests of a process.
#include "support/gl_test_context.h"

#include <SDL.h>
#include <cstdio>

#include "services/settings.h"
#include "platform/window.h"
#include "image/gl_api.h"

namespace {
SDL_Window* testWindow = nullptr;
SDL_GLContext testContext = nullptr;
int surfaceWidth = 0, surfaceHeight = 0;

// The offscreen surface cannot grow, so a test that asks for more than it has gets a new one; a smaller
// request uses the lower-left corner through the viewport.
void useArea(int width, int height) {
    SDL_GL_MakeCurrent(testWindow, testContext);
    glViewport(0, 0, width, height);
    screenWidth = width;
    screenHeight = height;
}
}  // namespace

bool makeGlTestContext(int width, int height) {
    if (testWindow && (width > surfaceWidth || height > surfaceHeight)) destroyGlTestContext();
    if (testWindow) {
        useArea(width, height);
        return true;
    }
    if (!startVideo(VideoDrivers::offscreen)) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    testWindow = SDL_CreateWindow("gl test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!testWindow) {
        std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
        return false;
    }
    testContext = SDL_GL_CreateContext(testWindow);
    if (!testContext) {
        std::fprintf(stderr, "SDL_GL_CreateContext: %s\n", SDL_GetError());
        return false;
    }
    surfaceWidth = width;
    surfaceHeight = height;
    windowHandle = testWindow;
    deviceContext = testWindow;
    renderContext = testContext;
    useArea(width, height);
    return true;
}

void destroyGlTestContext() {
    if (testContext) SDL_GL_DeleteContext(testContext);
    if (testWindow) SDL_DestroyWindow(testWindow);
    testContext = nullptr;
    testWindow = nullptr;
    surfaceWidth = surfaceHeight = 0;
    windowHandle = deviceContext = nullptr;
    renderContext = nullptr;
}
