// Fades, blur quads and projections on a real context: opacity from the elapsed time read back from the
// frame, the zoom blur's texture-rectangle inset, matrices against GLU's own, and the state left behind.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/quit_request.h"
#include "app/settings.h"
#include "effects/overlays.h"
#include "effects/projection.h"
#include "image/gl_entry_points.h"
#include "support/gl_test_context.h"
#include "support/message_recorder.h"

namespace {
constexpr int side = 256;

class Overlays : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(makeGlTestContext(side, side)); }
    void TearDown() override {
        glDisable(GL_TEXTURE_2D);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

// blurTexture becomes a side x side texture sampled nearest: red is the column, green the row, blue 255.
void makeBlurTexture() {
    std::vector<unsigned char> texels;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) texels.insert(texels.end(), {uint8_t(x), uint8_t(y), 255});
    if (blurTexture == 0) glGenTextures(1, &blurTexture);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
}

// The frame after draw over a clear of the given grey; pixel(x, y, channel) reads it back.
struct Frame {
    std::vector<unsigned char> rgba = std::vector<unsigned char>(side * side * 4);
    int operator()(int x, int y, int channel = 0) const { return rgba[(y * side + x) * 4 + channel]; }
};
Frame drawn(const std::function<void()>& draw, float grey = 0) {
    glViewport(0, 0, side, side);
    glClearColor(grey, grey, grey, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    glFinish();
    Frame frame;
    glReadBuffer(GL_FRONT);
    glReadPixels(0, 0, side, side, GL_RGBA, GL_UNSIGNED_BYTE, frame.rgba.data());
    return frame;
}

std::vector<GLint> integers(GLenum name) {
    std::vector<GLint> values(4);
    glGetIntegerv(name, values.data());
    return values;
}
std::vector<GLfloat> matrix(GLenum which) {
    std::vector<GLfloat> values(16);
    glGetFloatv(which, values.data());
    return values;
}
// The projection matrix GLU builds, loaded by build on an identity projection.
std::vector<GLfloat> gluMatrix(const std::function<void()>& build) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    build();
    std::vector<GLfloat> values = matrix(GL_PROJECTION_MATRIX);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return values;
}
}  // namespace

TEST_F(Overlays, FadeOpacityFollowsTheElapsedShareOfTheDuration) {
    const struct {
        void (*fade)(double, double);
        double duration, elapsed;
        int red;   // of a white frame
    } cases[] = {{fadeToBlack, 3000, 0, 255}, {fadeToBlack, 3000, 1500, 128}, {fadeToBlack, 3000, 3000, 0},
                 {fadeToBlack, 1000, 250, 191}, {fadeFromBlack, 3000, 0, 0}, {fadeFromBlack, 3000, 1500, 128},
                 {fadeFromBlack, 500, 500, 255}, {fadeFromBlack, 1000, 250, 64},
                 // Past the end the colour is clamped; a zero duration counts as finished, no division by zero.
                 {fadeToBlack, 500, 900, 0}, {fadeFromBlack, 500, 900, 255}, {fadeToBlack, 0, 0, 0},
                 {fadeFromBlack, 0, 0, 255}};
    for (const auto& c : cases)
        EXPECT_NEAR(drawn([&] { c.fade(c.duration, c.elapsed); }, 1)(side / 2, side / 2), c.red, 2)
            << (c.fade == fadeToBlack ? "to black " : "from black ") << c.duration << " " << c.elapsed;
}

TEST_F(Overlays, FadeIsNotTintedByLightingAndLeavesTheStateScenesExpect) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    const Frame faded = drawn([] {
        glViewport(0, 0, 10, 10);   // the fades always cover the whole screen
        fadeToBlack(3000, 1500);
    }, 1);
    EXPECT_NEAR(faded(side - 1, side - 1), 128, 2);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));   // not touched
    EXPECT_EQ(integers(GL_MATRIX_MODE)[0], GL_MODELVIEW);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), gluMatrix([] {}));
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), gluMatrix([] { gluOrtho2D(0, 1, 0, 1); }));
    EXPECT_EQ(integers(GL_BLEND_SRC)[0], GL_SRC_ALPHA);
    EXPECT_EQ(integers(GL_BLEND_DST)[0], GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(integers(GL_VIEWPORT), std::vector<GLint>({0, 0, side, side}));
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_COLOR_MATERIAL);
}

TEST_F(Overlays, ZoomBlurInsetsTheTextureRectangleByTheFrameTimeAndAddsOntoTheFrame) {
    ASSERT_TRUE(resolveMultitextureEntryPoints());
    makeBlurTexture();
    glActiveTextureARB(GL_TEXTURE1_ARB);
    // 20 ms: the rectangle from 0.04 to 0.96 fills the viewport at 99 percent; the centre stays put.
    const Frame zoomed = drawn([] { drawZoomBlur(20.0f); });
    EXPECT_NEAR(zoomed(0, 128), 0.99 * 0.04 * side, 2);
    EXPECT_NEAR(zoomed(side - 1, 128), 0.99 * 0.96 * side, 2);
    EXPECT_NEAR(zoomed(128, 0, 1), 0.99 * 0.04 * side, 2);
    EXPECT_NEAR(zoomed(128, side - 1, 1), 0.99 * 0.96 * side, 2);
    EXPECT_NEAR(zoomed(128, 128), 0.99 * 128, 2);
    // 0 ms: unzoomed, still at 99 percent.
    const Frame flat = drawn([] { drawZoomBlur(0.0f); });
    EXPECT_NEAR(flat(0, 10), 0, 1);
    EXPECT_NEAR(flat(side - 1, 10), 0.99 * 255, 2);
    // The plain blur: unzoomed at 90 percent, added onto a grey frame (blue adds up to white).
    const Frame added = drawn(drawBlurTexture, 0.5f);
    EXPECT_EQ(added(10, 10, 2), 255);
    EXPECT_NEAR(added(10, 10), 128 + 0.9 * 10, 2);

    // Left behind: unit 0 active and textured with the blur texture, depth test on, blending off with the
    // additive function, the model-view matrix current and the caller's viewport.
    EXPECT_EQ(integers(GL_ACTIVE_TEXTURE_ARB)[0], GL_TEXTURE0_ARB);
    EXPECT_EQ(static_cast<GLuint>(integers(GL_TEXTURE_BINDING_2D)[0]), blurTexture);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integers(GL_BLEND_SRC)[0], GL_SRC_ALPHA);
    EXPECT_EQ(integers(GL_BLEND_DST)[0], GL_ONE);
    EXPECT_EQ(integers(GL_MATRIX_MODE)[0], GL_MODELVIEW);
    glViewport(0, 0, 128, 128);
    drawZoomBlur(10.0f);
    EXPECT_EQ(integers(GL_VIEWPORT)[2], 128);
}

TEST_F(Overlays, WithoutMultitexturingTheDemoQuitsAndTheZoomBlurStillCallsNoNullPointer) {
    recordMessageBoxes();
    hideGlExtensionForTest("GL_ARB_multitexture");
    clearQuitRequest();
    EXPECT_FALSE(resolveMultitextureEntryPoints());
    ASSERT_EQ(glMultiTexCoord2fARB, nullptr);
    // The user is told why, and the demo quits.
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0].caption, "Chyba");
    EXPECT_NE(recordedMessages()[0].text.find("multitexturing"), std::string::npos);
    EXPECT_TRUE(quitRequestPending());
    glActiveTexture(GL_TEXTURE0);   // the 1.3 function the library exports, for the test only
    makeBlurTexture();
    const Frame zoomed = drawn([] { drawZoomBlur(20.0f); });
    EXPECT_NEAR(zoomed(0, 128), 0.99 * 0.04 * side, 2);
    EXPECT_NEAR(zoomed(side - 1, 128), 0.99 * 0.96 * side, 2);
    hideGlExtensionForTest(nullptr);
    clearQuitRequest();
    restoreMessageBoxes();
    EXPECT_TRUE(resolveMultitextureEntryPoints());
}

TEST_F(Overlays, PerspectiveUsesTheIntegerAspectRatioAndOrthoTheUnitSquare) {
    const int savedWidth = screenWidth, savedHeight = screenHeight;
    // The integer quotient of the screen's sides, 1 for a height of 0: 1024 x 768 is square, 300 x 700 flat.
    const struct {
        int width, height;
        double aspect;
    } cases[] = {{1024, 768, 1}, {1600, 1200, 1}, {700, 300, 2}, {300, 700, 0}, {640, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        EXPECT_EQ(perspectiveAspect(c.width, c.height), c.aspect);
        screenWidth = c.width;
        screenHeight = c.height;
        glTranslatef(5, 5, 5);
        setPerspectiveView(0);
        EXPECT_EQ(integers(GL_VIEWPORT), std::vector<GLint>({0, 0, c.width, c.height}));
        EXPECT_EQ(integers(GL_MATRIX_MODE)[0], GL_MODELVIEW);
        EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), gluMatrix([] {}));
        if (c.aspect > 0) {
            EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), gluMatrix([&] { gluPerspective(90, c.aspect, 0.1f, 120000); }));
        }
    }
    glViewport(3, 4, 20, 10);
    setPerspectiveView(1);
    EXPECT_EQ(integers(GL_VIEWPORT), std::vector<GLint>({3, 4, 20, 10}));
    setOrthoView(1);
    EXPECT_EQ(integers(GL_VIEWPORT), std::vector<GLint>({3, 4, 20, 10}));
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), gluMatrix([] { gluOrtho2D(0, 1, 0, 1); }));
    setOrthoView(0);
    EXPECT_EQ(integers(GL_VIEWPORT), std::vector<GLint>({0, 0, 640, 0}));
    EXPECT_EQ(integers(GL_MATRIX_MODE)[0], GL_MODELVIEW);
    screenWidth = savedWidth;
    screenHeight = savedHeight;
}
