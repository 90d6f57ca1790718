// Sprite texture lists: what addTga uploads, the status codes it returns, and the names it appends.
#include <gtest/gtest.h>

#include "image/texture.h"
#include "support/gl_test_context.h"
#include "unit/image_test_files.h"

namespace {
std::string dir = scratchDirectory();

std::string put(const char* name, const Bytes& bytes) {
    std::string path = dir + "/" + name;
    writeBytes(path, bytes);
    return path;
}

GLint parameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint levelParameter(int level, GLenum name) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

Bytes storedPixels(int width, int height, int bytesPerPixel, uint8_t value) {
    return Bytes(static_cast<size_t>(width * height * bytesPerPixel), value);
}
}  // namespace

TEST(TextureListAddTga, UploadsOneLinearLevelWithTheLoadersDefaults) {
    ASSERT_TRUE(makeGlTestContext());
    Bytes stored;
    for (int i = 0; i < 64 * 64; ++i) stored.insert(stored.end(), {10, 20, 30, 40});
    std::string sprite = put("head02.tga", tgaFile(64, 64, 32, stored));
    TextureList list;
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    EXPECT_EQ(list.addTga(sprite.c_str()), TEX_OK);
    ASSERT_EQ(list.count, 1);
    ASSERT_NE(list.names[0], 0u);
    glBindTexture(GL_TEXTURE_2D, list.names[0]);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 64);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(levelParameter(1, GL_TEXTURE_WIDTH), 0);   // single level
    GLint environment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    EXPECT_EQ(environment, GL_MODULATE);
    unsigned char texel[4] = {};
    Bytes all(64 * 64 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, all.data());
    std::memcpy(texel, all.data(), 4);
    EXPECT_EQ(texel[0], 30);   // B, G, R, A stored: R, G, B, A uploaded
    EXPECT_EQ(texel[2], 10);
    EXPECT_EQ(texel[3], 40);

    // An 8-bit greyscale TGA becomes an alpha-only texture.
    std::string grey = put("grey.tga", tgaFile(16, 8, 8, storedPixels(16, 8, 1, 200), 3));
    EXPECT_EQ(list.addTga(grey.c_str()), TEX_OK);
    ASSERT_EQ(list.count, 2);
    glBindTexture(GL_TEXTURE_2D, list.names[1]);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_ALPHA);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_HEIGHT), 8);
    EXPECT_NE(list.names[0], list.names[1]);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(TextureListAddTga, ReturnsStatusCodesAndAppendsANameEvenOnFailure) {
    ASSERT_TRUE(makeGlTestContext());
    std::string notPowerOfTwo = put("odd.tga", tgaFile(100, 100, 24, storedPixels(100, 100, 3, 1)));
    std::string tooLarge = put("large.tga", tgaFile(2048, 1, 24, storedPixels(2048, 1, 3, 1)));
    std::string colourMapped = put("mapped.tga", tgaFile(4, 4, 24, storedPixels(4, 4, 3, 1), 1, 0, 1));
    std::string sixteenBit = put("sixteen.tga", tgaFile(4, 4, 16, storedPixels(4, 4, 2, 1)));
    std::string runLength = put("rle.tga", tgaFile(4, 4, 24, storedPixels(4, 4, 3, 1), 10));
    std::string shortData = put("short.tga", tgaFile(64, 64, 32, storedPixels(8, 8, 4, 1)));
    std::string hugeHeader = put("huge.tga", tgaFile(65535, 65535, 32, storedPixels(2, 2, 4, 1)));
    std::string withId = put("id.tga", tgaFile(4, 4, 24, storedPixels(4, 4, 3, 9), 2, 5));
    TextureList list;
    EXPECT_EQ(list.addTga(notPowerOfTwo.c_str()), TEX_ERR_SIZE);
    EXPECT_EQ(list.addTga(tooLarge.c_str()), TEX_ERR_SIZE);
    EXPECT_EQ(list.addTga((dir + "/missing.tga").c_str()), TEX_ERR_NO_PIXELS);
    EXPECT_EQ(list.addTga(colourMapped.c_str()), TEX_ERR_NO_PIXELS);
    EXPECT_EQ(list.addTga(sixteenBit.c_str()), TEX_ERR_NO_PIXELS);
    EXPECT_EQ(list.addTga(runLength.c_str()), TEX_ERR_NO_PIXELS);
    EXPECT_EQ(list.addTga(shortData.c_str()), TEX_ERR_NO_PIXELS);
    EXPECT_EQ(list.addTga(hugeHeader.c_str()), TEX_ERR_NO_PIXELS);
    EXPECT_EQ(list.addTga(withId.c_str()), TEX_OK);   // the identification field is skipped
    // The demo names its sprites with Windows separators.
    std::string windowsPath = withId;
    for (char& c : windowsPath)
        if (c == '/') c = '\\';
    EXPECT_EQ(list.addTga(windowsPath.c_str()), TEX_OK);
    ASSERT_EQ(list.count, 10);
    for (int i = 1; i < list.count; ++i) EXPECT_GT(list.names[i], list.names[i - 1]) << i;   // call order
    glBindTexture(GL_TEXTURE_2D, list.names[0]);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 0);

    // The reading status stays in the loader: each failure has its own code.
    TgaTexture loader;
    EXPECT_EQ(loader.readFile((dir + "/missing.tga").c_str()), 0);
    EXPECT_EQ(loader.status, TEX_ERR_OPEN);
    EXPECT_EQ(loader.readFile(colourMapped.c_str()), 0);
    EXPECT_EQ(loader.status, TEX_ERR_TYPE);
    EXPECT_EQ(loader.readFile(sixteenBit.c_str()), 0);
    EXPECT_EQ(loader.status, TEX_ERR_DEPTH);
    EXPECT_EQ(loader.readFile(shortData.c_str()), 0);
    EXPECT_EQ(loader.status, TEX_ERR_READ);
    EXPECT_EQ(loader.upload(true), TEX_ERR_NO_PIXELS);

    list.clear();
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.names, nullptr);
}

TEST(TextureListAddTga, LoaderFieldsDecideTheUpload) {
    ASSERT_TRUE(makeGlTestContext());
    std::string sprite = put("smoke02.tga", tgaFile(32, 32, 24, storedPixels(32, 32, 3, 60)));
    GLuint name = 0;
    glGenTextures(1, &name);
    TgaTexture loader;
    ASSERT_EQ(loader.loadInto(sprite.c_str(), name, GL_RGB), 1);
    EXPECT_EQ(loader.name, name);
    EXPECT_EQ(loader.bits, 24);
    EXPECT_EQ(loader.internalFormat, static_cast<GLenum>(GL_RGB));
    loader.buildMipmaps = 1;
    loader.minFilter = GL_LINEAR_MIPMAP_NEAREST;
    loader.wrapS = GL_CLAMP_TO_EDGE;
    EXPECT_EQ(loader.upload(false), TEX_OK);
    EXPECT_NE(loader.pixels, nullptr);   // kept when not asked to free
    glBindTexture(GL_TEXTURE_2D, name);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(levelParameter(5, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(loader.upload(true), TEX_OK);
    EXPECT_EQ(loader.pixels, nullptr);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
