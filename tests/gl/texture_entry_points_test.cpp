// Extension entry points: the multitexture pair, the 66-name table, and a driver without multitexturing.
#include <gtest/gtest.h>

#include "app/quit_request.h"
#include "image/gl_entry_points.h"
#include "support/gl_test_context.h"
#include "support/message_recorder.h"

TEST(GlEntryPoints, ResolvesTheMultitexturePairAndDrawsWithIt) {
    ASSERT_TRUE(makeGlTestContext());
    recordMessageBoxes();
    clearQuitRequest();
    ASSERT_TRUE(resolveMultitextureEntryPoints());
    ASSERT_NE(glActiveTextureARB, nullptr);
    ASSERT_NE(glMultiTexCoord2fARB, nullptr);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE1_ARB);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glMultiTexCoord2fARB(GL_TEXTURE0_ARB, 0.25f, 0.75f);
    GLfloat coordinates[4] = {};
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coordinates);
    EXPECT_FLOAT_EQ(coordinates[0], 0.25f);
    EXPECT_FLOAT_EQ(coordinates[1], 0.75f);
    EXPECT_TRUE(recordedMessages().empty());
    EXPECT_FALSE(quitRequestPending());
    restoreMessageBoxes();
}

TEST(GlEntryPoints, WithoutMultitexturingTheUserIsToldAndTheDemoQuits) {
    ASSERT_TRUE(makeGlTestContext());
    recordMessageBoxes();
    clearQuitRequest();
    hideGlExtensionForTest("GL_ARB_multitexture");
    EXPECT_FALSE(glExtensionPresent("GL_ARB_multitexture"));
    EXPECT_FALSE(resolveMultitextureEntryPoints());
    EXPECT_EQ(glActiveTextureARB, nullptr);
    EXPECT_EQ(glMultiTexCoord2fARB, nullptr);
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0].caption, "Chyba");
    EXPECT_NE(recordedMessages()[0].text.find("multitexturing"), std::string::npos);
    EXPECT_TRUE(quitRequestPending());
    hideGlExtensionForTest(nullptr);
    clearQuitRequest();
    restoreMessageBoxes();
    EXPECT_TRUE(resolveMultitextureEntryPoints());
}

TEST(GlEntryPoints, TableEntriesFollowTheExtensionStringNotThePointer) {
    ASSERT_TRUE(makeGlTestContext());
    // Whole words only: a prefix of a real extension name is not an extension.
    EXPECT_TRUE(glExtensionPresent("GL_ARB_vertex_buffer_object"));
    EXPECT_FALSE(glExtensionPresent("GL_ARB_vertex_buffer"));
    EXPECT_FALSE(glExtensionPresent("GL_ARB_no_such_thing"));

    loadExtensionEntryPoints();
    EXPECT_NE(glEntry::glActiveTexture, nullptr);   // core since 1.3
    EXPECT_NE(glEntry::glTexImage3D, nullptr);
    ASSERT_NE(glEntry::glGenBuffersARB, nullptr);
    EXPECT_NE(glEntry::glUniformMatrix4fvARB, nullptr);
    EXPECT_NE(glEntry::glGenQueriesARB, nullptr);
    // Mesa has no NV programs: the platform's lookup would still answer, the table stays null.
    EXPECT_EQ(glEntry::glLoadProgramNV, nullptr);
    EXPECT_EQ(glEntry::glProgramNamedParameter4fvNV, nullptr);
    GLuint buffer = 0;
    glEntry::glGenBuffersARB(1, &buffer);
    EXPECT_NE(buffer, 0u);
    glEntry::glDeleteBuffersARB(1, &buffer);

    hideGlExtensionForTest("GL_ARB_vertex_buffer_object");
    loadExtensionEntryPoints();
    EXPECT_EQ(glEntry::glGenBuffersARB, nullptr);
    EXPECT_EQ(glEntry::glMapBufferARB, nullptr);
    EXPECT_NE(glEntry::glGenQueriesARB, nullptr);
    hideGlExtensionForTest(nullptr);
    loadExtensionEntryPoints();
    EXPECT_NE(glEntry::glGenBuffersARB, nullptr);
}
