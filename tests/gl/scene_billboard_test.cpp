// Billboards face the camera whatever the modelview rotation, with unnormalised axes and (0,0) at the
// bottom left of the texture.
#include <gtest/gtest.h>

#include "demo/billboard.h"
#include "image/gl_api.h"
#include "scene_support.h"
#include "support/gl_test_context.h"

namespace {
constexpr int side = 256;

void readRgb(int x, int y, unsigned char out[3]) {
    unsigned char pixel[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    out[0] = pixel[0];
    out[1] = pixel[1];
    out[2] = pixel[2];
}

// Plain drawing state, whatever GL tests ran before in this process left.
void startOrthoFrame() {
    if (glActiveTextureARB) {
        glActiveTextureARB(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_COLOR_MATERIAL);
    glViewport(0, 0, side, side);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
}  // namespace

TEST(SceneBillboard, FacesTheCameraAtItsScaledSizeWithTheTextureUpright) {
    ASSERT_TRUE(makeGlTestContext(side, side));
    glReadBuffer(GL_FRONT);

    // A 2 x 2 texture: red bottom left, green bottom right, blue top right, white top left.
    const unsigned char texels[] = {255, 0, 0, 0, 255, 0, 255, 255, 255, 0, 0, 255};
    startOrthoFrame();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    // Any rotation: the square still lies in the screen plane. The scale of 1.5 is not normalised
    // away, so half-size 0.2 spans 0.3 model units and 0.45 of the half-viewport on screen.
    glRotatef(50.0f, 0.3f, 1.0f, 0.2f);
    glScalef(1.5f, 1.5f, 1.5f);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    drawBillboard(Vector3{0.0f, 0.0f, 0.0f}, 0.2f);
    glDisable(GL_TEXTURE_2D);
    glFinish();

    const int edge = static_cast<int>(side / 2 * 0.45f);   // 57 pixels from the centre
    unsigned char rgb[3];
    readRgb(side / 2 - edge + 3, side / 2 - edge + 3, rgb);   // bottom left: red
    EXPECT_GT(rgb[0], 200);
    EXPECT_LT(rgb[1], 50);
    readRgb(side / 2 + edge - 3, side / 2 - edge + 3, rgb);   // bottom right: green
    EXPECT_GT(rgb[1], 200);
    EXPECT_LT(rgb[0], 50);
    readRgb(side / 2 + edge - 3, side / 2 + edge - 3, rgb);   // top right: blue
    EXPECT_GT(rgb[2], 200);
    EXPECT_LT(rgb[0], 50);
    readRgb(side / 2 - edge + 3, side / 2 + edge - 3, rgb);   // top left: white
    EXPECT_GT(rgb[0], 200);
    EXPECT_GT(rgb[2], 200);
    for (int outside : {side / 2 - edge - 3, side / 2 + edge + 3}) {
        readRgb(outside, side / 2, rgb);
        EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0) << "x " << outside;
        readRgb(side / 2, outside, rgb);
        EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0) << "y " << outside;
    }
    glDeleteTextures(1, &texture);
    restorePlainGlState();
}

TEST(SceneBillboard, ExplicitAxesOverrideTheCurrentRotation) {
    ASSERT_TRUE(makeGlTestContext(side, side));
    glReadBuffer(GL_FRONT);
    startOrthoFrame();
    const BillboardAxes upright = readBillboardAxes();
    EXPECT_FLOAT_EQ(upright.right.x, 1.0f);
    EXPECT_FLOAT_EQ(upright.up.y, 1.0f);
    // Rolled by 45 degrees about the viewing axis but drawn with the axes read before: a diamond.
    glRotatef(45.0f, 0.0f, 0.0f, 1.0f);
    glColor4f(1, 1, 1, 1);
    drawBillboardWithAxes(Vector3{0.0f, 0.0f, 0.0f}, 0.5f, upright);
    glFinish();
    unsigned char rgb[3];
    readRgb(side / 2 + 80, side / 2, rgb);   // along x the diamond reaches 0.707 of the half-viewport
    EXPECT_GT(rgb[0], 200);
    readRgb(side / 2 + 60, side / 2 + 60, rgb);   // an upright square's corner region stays empty
    EXPECT_EQ(rgb[0], 0);
    restorePlainGlState();
}
