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

// The frame after draw over a clear of the given grey, as RGBA bytes from the bottom row up.
std::vector<unsigned char> drawn(const std::function<void()>& draw, float grey = 0) {
    glViewport(0, 0, side, side);
    glClearColor(grey, grey, grey, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    glFinish();
    std::vector<unsigned char> frame(side * side * 4);
    glReadBuffer(GL_FRONT);
    glReadPixels(0, 0, side, side, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}
int at(const std::vector<unsigned char>& frame, int x, int y, int channel = 0) {
    return frame[(y * side + x) * 4 + channel];
}

std::vector<GLint> integers(GLenum name) {
    std::vector<GLint> values(4);
    glGetIntegerv(name, values.data());
    return values;
}
// Each state's (first) value, and whether each capability is on.
void expectState(std::initializer_list<std::pair<GLenum, GLint>> states,
                 std::initializer_list<std::pair<GLenum, bool>> caps) {
    for (auto [name, value] : states) EXPECT_EQ(integers(name)[0], value) << std::hex << name;
    for (auto [cap, on] : caps) EXPECT_EQ(glIsEnabled(cap), on) << std::hex << cap;
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

TEST_F(Overlays, FadeOpacityFollowsTheElapsedShareOfTheDurationOverTheWholeScreen) {
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
    for (const auto& c : cases) {
        const auto frame = drawn([&] {
            glViewport(0, 0, 10, 10);   // the fades always cover the whole screen
            c.fade(c.duration, c.elapsed);
        }, 1);
        EXPECT_NEAR(at(frame, side - 1, side - 1), c.red, 2) << (c.fade == fadeToBlack) << " " << c.elapsed;
    }
}

TEST_F(Overlays, FadeIsNotTintedByLightingAndLeavesTheStateScenesExpect) {
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL, GL_BLEND}) glEnable(cap);
    for (GLenum cap : {GL_DEPTH_TEST, GL_TEXTURE_2D}) glDisable(cap);
    EXPECT_NEAR(at(drawn([] { fadeToBlack(3000, 1500); }, 1), 0, 0), 128, 2);
    expectState({{GL_MATRIX_MODE, GL_MODELVIEW}, {GL_BLEND_SRC, GL_SRC_ALPHA}, {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA}},
                {{GL_DEPTH_TEST, true}, {GL_TEXTURE_2D, true}, {GL_BLEND, false}, {GL_LIGHTING, true}});
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), gluMatrix([] {}));
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), gluMatrix([] { gluOrtho2D(0, 1, 0, 1); }));
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL}) glDisable(cap);
}

TEST_F(Overlays, ZoomBlurInsetsTheTextureRectangleByTheFrameTimeAndWorksWithoutMultitexturing) {
    // blurTexture sampled nearest: red is the column, green the row, blue 255.
    std::vector<unsigned char> texels;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) texels.insert(texels.end(), {uint8_t(x), uint8_t(y), 255});
    if (blurTexture == 0) glGenTextures(1, &blurTexture);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    ASSERT_TRUE(resolveMultitextureEntryPoints());
    glActiveTextureARB(GL_TEXTURE1_ARB);

    // 20 ms: the rectangle from 0.04 to 0.96 fills the viewport at 99 percent; the centre stays put.
    const auto zoomed = drawn([] { drawZoomBlur(20.0f); });
    for (auto [x, y, channel, value] : {std::tuple{0, 128, 0, 0.04 * side}, {side - 1, 128, 0, 0.96 * side},
                                        {128, 0, 1, 0.04 * side}, {128, side - 1, 1, 0.96 * side}, {128, 128, 0, 128.0}})
        EXPECT_NEAR(at(zoomed, x, y, channel), 0.99 * value, 2) << x << ", " << y;
    // 0 ms: unzoomed, still at 99 percent.
    const auto flat = drawn([] { drawZoomBlur(0.0f); });
    EXPECT_NEAR(at(flat, 0, 10), 0, 1);
    EXPECT_NEAR(at(flat, side - 1, 10), 0.99 * 255, 2);
    // The plain blur: unzoomed at 90 percent, added onto a grey frame (blue adds up to white).
    const auto added = drawn(drawBlurTexture, 0.5f);
    EXPECT_EQ(at(added, 10, 10, 2), 255);
    EXPECT_NEAR(at(added, 10, 10), 128 + 0.9 * 10, 2);
    // Left behind: unit 0 active and textured with the blur texture, depth test on, blending off with the
    // additive function, the model-view matrix current and the caller's viewport.
    expectState({{GL_ACTIVE_TEXTURE_ARB, GL_TEXTURE0_ARB}, {GL_TEXTURE_BINDING_2D, static_cast<GLint>(blurTexture)},
                 {GL_BLEND_SRC, GL_SRC_ALPHA}, {GL_BLEND_DST, GL_ONE}, {GL_MATRIX_MODE, GL_MODELVIEW}},
                {{GL_TEXTURE_2D, true}, {GL_DEPTH_TEST, true}, {GL_BLEND, false}});
    glViewport(0, 0, 128, 128);
    drawZoomBlur(10.0f);
    EXPECT_EQ(integers(GL_VIEWPORT)[2], 128);

    // Without the multitexture pair the user is told why and the demo quits; the blur drawn before it
    // does is the same picture, with no null pointer called.
    recordMessageBoxes();
    clearQuitRequest();
    hideGlExtensionForTest("GL_ARB_multitexture");
    EXPECT_FALSE(resolveMultitextureEntryPoints());
    ASSERT_EQ(glMultiTexCoord2fARB, nullptr);
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0].caption, "Chyba");
    EXPECT_NE(recordedMessages()[0].text.find("multitexturing"), std::string::npos);
    EXPECT_TRUE(quitRequestPending());
    EXPECT_TRUE(drawn([] { drawZoomBlur(20.0f); }) == zoomed);
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
    setOrthoView(1);
    EXPECT_EQ(integers(GL_VIEWPORT), std::vector<GLint>({3, 4, 20, 10}));
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), gluMatrix([] { gluOrtho2D(0, 1, 0, 1); }));
    setOrthoView(0);
    EXPECT_EQ(integers(GL_VIEWPORT), std::vector<GLint>({0, 0, 640, 0}));
    EXPECT_EQ(integers(GL_MATRIX_MODE)[0], GL_MODELVIEW);
    screenWidth = savedWidth;
    screenHeight = savedHeight;
}
