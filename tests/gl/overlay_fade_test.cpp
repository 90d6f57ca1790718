// Fades read back from the frame: opacity from the elapsed time, and the state they leave behind.
#include <gtest/gtest.h>

#include "effects/overlays.h"
#include "image/gl_api.h"
#include "support/gl_test_context.h"

namespace {
constexpr int side = 64;

// A white frame, faded, read back at the centre (red channel).
int fadedWhite(void (*fade)(double, double), double duration, double elapsed) {
    glViewport(0, 0, side, side);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    fade(duration, elapsed);
    glFinish();
    unsigned char pixel[4] = {};
    glReadBuffer(GL_FRONT);
    glReadPixels(side / 2, side / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return pixel[0];
}

bool isIdentity(GLenum which) {
    GLfloat m[16];
    glGetFloatv(which, m);
    for (int i = 0; i < 16; ++i)
        if (m[i] != (i % 5 == 0 ? 1.0f : 0.0f)) return false;
    return true;
}
}  // namespace

TEST(Fades, OpacityFollowsTheElapsedShareOfTheDuration) {
    ASSERT_TRUE(makeGlTestContext(side, side));
    EXPECT_NEAR(fadedWhite(fadeToBlack, 3000, 0), 255, 1);
    EXPECT_NEAR(fadedWhite(fadeToBlack, 3000, 1500), 128, 2);
    EXPECT_NEAR(fadedWhite(fadeToBlack, 3000, 3000), 0, 1);
    EXPECT_NEAR(fadedWhite(fadeToBlack, 1000, 250), 191, 2);
    EXPECT_NEAR(fadedWhite(fadeFromBlack, 3000, 0), 0, 1);
    EXPECT_NEAR(fadedWhite(fadeFromBlack, 3000, 1500), 128, 2);
    EXPECT_NEAR(fadedWhite(fadeFromBlack, 500, 500), 255, 1);
    EXPECT_NEAR(fadedWhite(fadeFromBlack, 1000, 250), 64, 2);
    // Past the end the colour is clamped: black stays black, and the fade-in shows the frame.
    EXPECT_NEAR(fadedWhite(fadeToBlack, 500, 900), 0, 1);
    EXPECT_NEAR(fadedWhite(fadeFromBlack, 500, 900), 255, 1);
    // A zero duration counts as a finished fade instead of dividing by zero.
    EXPECT_NEAR(fadedWhite(fadeToBlack, 0, 0), 0, 1);
    EXPECT_NEAR(fadedWhite(fadeFromBlack, 0, 0), 255, 1);
    EXPECT_FLOAT_EQ(fadeToBlackOpacity(3000, 1500), 0.5f);
    EXPECT_FLOAT_EQ(fadeFromBlackOpacity(5000, 1000), 0.8f);
}

TEST(Fades, LightingDoesNotTintTheQuadAndTheStateIsLeftAsScenesExpect) {
    ASSERT_TRUE(makeGlTestContext(side, side));
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    EXPECT_NEAR(fadedWhite(fadeToBlack, 3000, 1500), 128, 2);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));   // not touched
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(isIdentity(GL_MODELVIEW_MATRIX));
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_FLOAT_EQ(projection[0], 2.0f);   // gluOrtho2D(0, 1, 0, 1)
    EXPECT_FLOAT_EQ(projection[12], -1.0f);
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], side);   // the fades always cover the whole screen
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_TEXTURE_2D);
}
