// The program's own window and context on the offscreen driver: the swap interval it asks for, and the
// virtual full screen drawing offscreen and presenting the frame scaled with black bars, without
// disturbing the state the scenes carry from frame to frame.
#include <gtest/gtest.h>

#include <SDL.h>

#include "image/gl_api.h"
#include "platform/virtual_screen.h"
#include "platform/window.h"
#include "services/settings.h"
#include "support/gl_test_context.h"
#include "support/settings_guard.h"

namespace {
// The program's window and context in place of the tests' shared one, for one test.
struct ProgramWindow {
    explicit ProgramWindow(bool full, int width, int height) {
        destroyGlTestContext();
        screenWidth = width;
        screenHeight = height;
        fullscreen = full;
        started = startVideo(VideoDrivers::offscreen);
        if (!started) return;
        windowHandle = createGLWindow(windowTitle, width, height, full);
        if (windowHandle) createGLContext();
    }
    ~ProgramWindow() {
        if (windowHandle) destroyGLWindow();
        if (started) stopVideo();
    }
    bool started = false;
};

struct Pixel {
    int r, g, b;
};

Pixel frontPixel(int x, int y) {
    unsigned char rgb[3] = {};
    glReadBuffer(GL_FRONT);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}
}  // namespace

TEST(VirtualScreenGl, SwapWaitsForTheDisplayUnlessNoVsync) {
    SettingsGuard guard;
    for (bool inStep : {true, false}) {
        swapInStep = inStep;
        ProgramWindow window(false, 64, 48);
        ASSERT_TRUE(window.started && renderContext) << SDL_GetError();
        const int interval = swapIntervalInForce();
        if (inStep) {
            // Adaptive where the driver has it (EGL has none through SDL 2), else every refresh.
            EXPECT_TRUE(interval == -1 || interval == 1) << "interval " << interval;
        } else {
            EXPECT_EQ(interval, 0);
        }
    }
}

namespace {
void checkFullScreenPresentation(int colorBits) {
    SCOPED_TRACE(colorBits);
    requestedColorBits = colorBits;
    ProgramWindow window(true, 300, 300);   // square: bars on a wider display
    ASSERT_TRUE(window.started && renderContext) << SDL_GetError();
    // What keeps presenting cheap on the software rasteriser: the shader's bare lookup, into a window
    // without a depth buffer of its own.
    EXPECT_EQ(presentMethodInUse(), PresentMethod::ShaderQuad);
    int windowDepth = -1;
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &windowDepth);
    EXPECT_EQ(windowDepth, 0);
    const int sceneDepth = obtainedPixelFormat().depth;
    // As a desktop gives a window: at least 24 bits for either program where the driver has them, or
    // halvex16's sky box, 40000 units out, is lost to the depth range.
    EXPECT_GE(sceneDepth, 24) << "the scenes' depth buffer has " << sceneDepth;
    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(deviceContext, &drawableWidth, &drawableHeight);
    ASSERT_GT(drawableWidth, drawableHeight) << "the offscreen display is expected wider than tall";
    ASSERT_TRUE(virtualScreenOpen());
    EXPECT_EQ(screenWidth, 300) << "the scenes keep the chosen size";
    EXPECT_EQ(screenHeight, 300);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_TRUE(viewport[2] == 300 && viewport[3] == 300);

    // A frame: red, with state a scene might leave.
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glEnable(GL_BLEND);
    glEnable(GL_FOG);
    glMatrixMode(GL_PROJECTION);
    glViewport(0, 0, 100, 50);
    GLint framebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_NE(framebuffer, 0) << "the frame is drawn offscreen";

    while (glGetError() != GL_NO_ERROR) {
    }
    swapFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "presenting leaves no error behind";

    GLint after = 0, matrixMode = 0;
    GLfloat clear[4] = {};
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &after);
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(after, framebuffer) << "the next frame is drawn offscreen again";
    EXPECT_EQ(matrixMode, GL_PROJECTION);
    EXPECT_TRUE(viewport[2] == 100 && viewport[3] == 50);
    EXPECT_FLOAT_EQ(clear[0], 0.5f);
    EXPECT_TRUE(glIsEnabled(GL_BLEND) && glIsEnabled(GL_FOG) && !glIsEnabled(GL_SCISSOR_TEST));

    // The window: the red square centred at the full height, black beside it.
    const PictureRect picture = placePicture(300, 300, drawableWidth, drawableHeight, false);
    auto bindWindow = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(SDL_GL_GetProcAddress("glBindFramebuffer"));
    ASSERT_NE(bindWindow, nullptr);
    glFinish();
    bindWindow(GL_FRAMEBUFFER, 0);
    const Pixel centre = frontPixel(drawableWidth / 2, drawableHeight / 2);
    const Pixel inside = frontPixel(picture.x + 2, 2);
    const Pixel leftBar = frontPixel(picture.x - 2, drawableHeight / 2);
    const Pixel rightBar = frontPixel(picture.x + picture.width + 1, drawableHeight - 1);
    bindWindow(GL_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
    EXPECT_TRUE(centre.r == 255 && centre.g == 0 && centre.b == 0) << centre.r << "," << centre.g << "," << centre.b;
    EXPECT_EQ(inside.r, 255) << "the picture reaches its left edge and the bottom";
    EXPECT_TRUE(leftBar.r == 0 && leftBar.g == 0 && leftBar.b == 0) << leftBar.r;
    EXPECT_TRUE(rightBar.r == 0 && rightBar.g == 0 && rightBar.b == 0) << rightBar.r;
    EXPECT_EQ(picture.height, drawableHeight);
}
}  // namespace

// The red frame must come out red: Mesa's fast path swaps red and blue for some shaders.
TEST(VirtualScreenGl, FullScreenDrawsAtItsSizeAndPresentsScaledLeavingTheScenesStateAlone) {
    SettingsGuard guard;
    checkFullScreenPresentation(32);
    checkFullScreenPresentation(16);
}
