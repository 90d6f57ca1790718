// The offscreen context the GL tests rely on: it exists, clears and reads back, and offers multitexture.
#include <gtest/gtest.h>

#include <cstring>

#include "image/gl_api.h"
#include "support/gl_test_context.h"

TEST(GlTestContext, ClearsAndReadsBackWithMultitexture) {
    ASSERT_TRUE(makeGlTestContext(64, 32));
    glViewport(0, 0, 64, 32);
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    unsigned char pixel[4] = {};
    glReadBuffer(GL_FRONT);
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 128, 1);
    EXPECT_EQ(pixel[2], 0);
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    ASSERT_NE(extensions, nullptr);
    EXPECT_NE(std::strstr(extensions, "GL_ARB_multitexture"), nullptr);
}
