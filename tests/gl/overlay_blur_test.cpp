// The blur quads: the zoom blur's texture-rectangle inset, the opacities, and the state they leave.
#include <gtest/gtest.h>

#include "app/quit_request.h"
#include "effects/overlays.h"
#include "image/gl_entry_points.h"
#include "support/gl_test_context.h"
#include "support/message_recorder.h"

namespace {
constexpr int side = 256;

// blurTexture becomes a side x side texture whose red channel is the column (0..255), sampled nearest.
void makeColumnTexture() {
    std::vector<unsigned char> texels(side * side * 3);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            unsigned char* t = &texels[(y * side + x) * 3];
            t[0] = static_cast<unsigned char>(x);
            t[1] = static_cast<unsigned char>(y);
            t[2] = 255;
        }
    if (blurTexture == 0) glGenTextures(1, &blurTexture);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
}

// Draws over a black frame and returns the frame (RGBA).
std::vector<unsigned char> drawnOverBlack(void (*draw)()) {
    glViewport(0, 0, side, side);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    glFinish();
    std::vector<unsigned char> frame(side * side * 4);
    glReadBuffer(GL_FRONT);
    glReadPixels(0, 0, side, side, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}

int red(const std::vector<unsigned char>& frame, int x, int y) { return frame[(y * side + x) * 4]; }
int green(const std::vector<unsigned char>& frame, int x, int y) { return frame[(y * side + x) * 4 + 1]; }
}  // namespace

TEST(BlurQuads, ZoomBlurInsetsTheTextureRectangleByTheFrameTime) {
    ASSERT_TRUE(makeGlTestContext(side, side));
    ASSERT_TRUE(resolveMultitextureEntryPoints());
    makeColumnTexture();

    // 20 ms: the rectangle from 0.04 to 0.96 fills the viewport, at 99 percent.
    auto zoomed = drawnOverBlack([] { drawZoomBlur(20.0f); });
    EXPECT_NEAR(red(zoomed, 0, 128), 0.99 * (0.04 * side), 2);
    EXPECT_NEAR(red(zoomed, side - 1, 128), 0.99 * (0.96 * side), 2);
    EXPECT_NEAR(green(zoomed, 128, 0), 0.99 * (0.04 * side), 2);
    EXPECT_NEAR(green(zoomed, 128, side - 1), 0.99 * (0.96 * side), 2);
    EXPECT_NEAR(red(zoomed, 128, 128), 0.99 * 128, 2);   // the centre stays put

    // 0 ms: unzoomed, still at 99 percent.
    auto flat = drawnOverBlack([] { drawZoomBlur(0.0f); });
    EXPECT_NEAR(red(flat, 0, 10), 0, 1);
    EXPECT_NEAR(red(flat, side - 1, 10), 0.99 * 255, 2);
    EXPECT_NEAR(flat[(10 * side + 10) * 4 + 2], 252, 1);   // blue 255 at 0.99

    // drawBlurTexture: unzoomed at 90 percent.
    auto overlay = drawnOverBlack(drawBlurTexture);
    EXPECT_NEAR(overlay[(10 * side + 10) * 4 + 2], 230, 1);
    EXPECT_NEAR(red(overlay, side - 1, 10), 0.9 * 255, 2);
}

TEST(BlurQuads, AddOntoTheFrameAndLeaveUnitZeroTextured) {
    ASSERT_TRUE(makeGlTestContext(side, side));
    ASSERT_TRUE(resolveMultitextureEntryPoints());
    makeColumnTexture();
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_DEPTH_TEST);
    // Additive: over a grey frame the texture's blue adds up to white.
    glViewport(0, 0, side, side);
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawBlurTexture();
    glFinish();
    unsigned char pixel[4] = {};
    glReadBuffer(GL_FRONT);
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[2], 255);
    EXPECT_NEAR(pixel[0], 128 + 0.9 * 10, 2);

    GLint active = 0, bound = 0, source = 0, destination = 0, mode = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(active, GL_TEXTURE0_ARB);
    EXPECT_EQ(static_cast<GLuint>(bound), blurTexture);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(source, GL_SRC_ALPHA);   // the additive blend function stays
    EXPECT_EQ(destination, GL_ONE);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLint viewport[4];
    glViewport(0, 0, 128, 128);   // the zoom blur keeps the caller's render viewport
    drawZoomBlur(10.0f);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 128);
    glDisable(GL_TEXTURE_2D);
}

TEST(BlurQuads, DrawWithoutTheMultitextureEntryPointsInsteadOfCallingNull) {
    ASSERT_TRUE(makeGlTestContext(side, side));
    recordMessageBoxes();
    clearQuitRequest();
    hideGlExtensionForTest("GL_ARB_multitexture");
    EXPECT_FALSE(resolveMultitextureEntryPoints());
    ASSERT_EQ(glMultiTexCoord2fARB, nullptr);
    glActiveTexture(GL_TEXTURE0);   // the 1.3 function the library exports, for the test only
    makeColumnTexture();
    auto zoomed = drawnOverBlack([] { drawZoomBlur(20.0f); });
    EXPECT_NEAR(red(zoomed, 0, 128), 0.99 * (0.04 * side), 2);
    EXPECT_NEAR(red(zoomed, side - 1, 128), 0.99 * (0.96 * side), 2);
    hideGlExtensionForTest(nullptr);
    clearQuitRequest();
    restoreMessageBoxes();
    EXPECT_TRUE(resolveMultitextureEntryPoints());
    glDisable(GL_TEXTURE_2D);
}
