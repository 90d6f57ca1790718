// The projections: the integer aspect ratio, the viewport rule, and the matrices left behind.
#include <gtest/gtest.h>

#include "app/settings.h"
#include "effects/projection.h"
#include "image/gl_api.h"
#include "support/gl_test_context.h"

namespace {
// The projection setPerspectiveView should load for an aspect ratio, built by GLU itself.
void expectedPerspective(double aspect, GLfloat out[16]) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, aspect, static_cast<double>(0.1f), 120000.0);
    glGetFloatv(GL_PROJECTION_MATRIX, out);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void expectProjection(const GLfloat expected[16]) {
    GLfloat actual[16];
    glGetFloatv(GL_PROJECTION_MATRIX, actual);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(actual[i], expected[i]) << i;
}
}  // namespace

TEST(Projection, PerspectiveUsesTheIntegerAspectRatio) {
    ASSERT_TRUE(makeGlTestContext(64, 64));
    EXPECT_EQ(perspectiveAspect(1024, 768), 1.0);
    EXPECT_EQ(perspectiveAspect(1600, 1200), 1.0);
    EXPECT_EQ(perspectiveAspect(700, 300), 2.0);
    EXPECT_EQ(perspectiveAspect(300, 700), 0.0 + 0.0);   // integer quotient 0 is what the demo computed
    EXPECT_EQ(perspectiveAspect(640, 0), 1.0);           // a height of 0 never reaches the division

    int savedWidth = screenWidth, savedHeight = screenHeight;
    GLfloat square[16], wide[16];
    expectedPerspective(1.0, square);
    expectedPerspective(2.0, wide);
    screenWidth = 1024;
    screenHeight = 768;
    glTranslatef(5, 5, 5);
    setPerspectiveView(0);
    expectProjection(square);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_FLOAT_EQ(modelview[12], 0.0f);

    screenWidth = 700;
    screenHeight = 300;
    setPerspectiveView(0);
    expectProjection(wide);
    screenHeight = 0;
    setPerspectiveView(1);
    expectProjection(square);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    screenWidth = savedWidth;
    screenHeight = savedHeight;
}

TEST(Projection, OrthoViewIsTheUnitSquareAndKeepsTheViewportOnlyWhenAsked) {
    ASSERT_TRUE(makeGlTestContext(64, 64));
    glViewport(3, 4, 20, 10);
    setOrthoView(1);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 3);
    EXPECT_EQ(viewport[2], 20);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_FLOAT_EQ(projection[0], 2.0f);
    EXPECT_FLOAT_EQ(projection[5], 2.0f);
    EXPECT_FLOAT_EQ(projection[10], -1.0f);
    EXPECT_FLOAT_EQ(projection[12], -1.0f);
    EXPECT_FLOAT_EQ(projection[13], -1.0f);
    setOrthoView(0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[2], screenWidth);
    EXPECT_EQ(viewport[3], screenHeight);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}
