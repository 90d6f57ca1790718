// Image textures on a real context: parameters read back, mipmaps, anisotropy, files without pixels,
// and images whose layout differs from what the creator declares.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "image/texture.h"
#include "support/gl_test_context.h"
#include "unit/image_test_files.h"

namespace {
// Runs the test inside a scratch directory holding data/textury/, the creators' fixed directory.
class ImageTextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(256, 256));
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        previous = cwd;
        root = scratchDirectory();
        ASSERT_EQ(chdir(root.c_str()), 0);
        mkdir("data", 0755);
        mkdir("data/textury", 0755);
        while (glGetError() != GL_NO_ERROR) {}
    }
    void TearDown() override {
        for (Image*& slot : slots) {
            releaseImage(slot);
            slot = nullptr;
        }
        if (!previous.empty()) {
            EXPECT_EQ(chdir(previous.c_str()), 0);
        }
    }
    void put(const char* name, const Bytes& bytes) { writeBytes(std::string("data/textury/") + name, bytes); }

    static GLint parameter(GLenum name) {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        return value;
    }
    static GLint levelParameter(int level, GLenum name) {
        GLint value = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
        return value;
    }
    // Level 0 of the bound texture as RGBA bytes.
    static Bytes levelZero() {
        Bytes pixels(static_cast<size_t>(levelParameter(0, GL_TEXTURE_WIDTH) * levelParameter(0, GL_TEXTURE_HEIGHT) * 4));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (!pixels.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    Image* slots[8] = {};
    std::string previous;
    std::string root;
};

Bytes solidJpeg(int side, uint8_t r, uint8_t g, uint8_t b) {
    Bytes rgb;
    for (int i = 0; i < side * side; ++i) rgb.insert(rgb.end(), {r, g, b});
    return jpegFile(side, side, 3, rgb);
}

// A 32-bit TGA whose stored pixels are B, G, R, A = 10, 20, 30, alpha.
Bytes solidTga32(int side, uint8_t alpha) {
    Bytes stored;
    for (int i = 0; i < side * side; ++i) stored.insert(stored.end(), {10, 20, 30, alpha});
    return tgaFile(side, side, 32, stored);
}
}  // namespace

TEST_F(ImageTextureTest, RgbCreatorMakesAMipmappedRepeatingTextureWithMaximumAnisotropy) {
    put("sky3.jpg", solidJpeg(64, 200, 100, 50));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    createImageTexture(slots, "sky3.jpg", 2);
    ASSERT_NE(slots[2], nullptr);
    EXPECT_EQ(slots[0], nullptr);
    Image& image = *slots[2];
    ASSERT_NE(image.pixels, nullptr);   // the decoded pixels stay with the image
    EXPECT_EQ(image.width, 64);
    ASSERT_NE(image.texture, 0u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), image.texture);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    GLfloat anisotropy = 0.0f, largest = 0.0f;
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
    EXPECT_GT(largest, 1.0f);
    EXPECT_EQ(maxTextureAnisotropy(), largest);
    // This machine renders with llvmpipe, where the creators keep trilinear filtering only.
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(anisotropy, softwareRasterizer(renderer) ? 1.0f : largest);
    EXPECT_EQ(textureAnisotropy(), anisotropy);
    GLint environment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    EXPECT_EQ(environment, GL_MODULATE);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    EXPECT_EQ(levelParameter(6, GL_TEXTURE_WIDTH), 1);   // the whole mipmap chain down to 1 x 1
    Bytes texels = levelZero();
    EXPECT_NEAR(texels[0], 200, 3);
    EXPECT_NEAR(texels[1], 100, 3);
    EXPECT_NEAR(texels[2], 50, 3);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    GLuint name = image.texture;
    releaseImage(slots[2]);
    slots[2] = nullptr;
    EXPECT_FALSE(glIsTexture(name));
}

TEST_F(ImageTextureTest, RgbaCreatorKeepsAlphaAndLeavesWrappingAlone) {
    put("orx.tga", solidTga32(32, 77));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    createImageTextureWithAlpha(slots, "orx.tga", 0);
    ASSERT_NE(slots[0], nullptr);
    ASSERT_NE(slots[0]->pixels, nullptr);
    EXPECT_EQ(slots[0]->bytesPerPixel, 4);
    glBindTexture(GL_TEXTURE_2D, slots[0]->texture);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);   // OpenGL's initial value, not set here
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), 4);   // the component count, as asked
    EXPECT_EQ(levelParameter(5, GL_TEXTURE_WIDTH), 1);
    GLint environment = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    EXPECT_EQ(environment, GL_REPLACE);   // the RGBA creator does not touch the environment
    Bytes texels = levelZero();
    EXPECT_EQ(texels[0], 30);
    EXPECT_EQ(texels[1], 20);
    EXPECT_EQ(texels[2], 10);
    EXPECT_EQ(texels[3], 77);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ImageTextureTest, ImagesWithoutPixelsGetANameButNoTextureImage) {
    // Missing file, undecodable JPEG, a name too long for the path buffer, an extension nobody reads.
    put("broken.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3});
    std::string longName(300, 'a');
    longName += ".jpg";
    createImageTexture(slots, "missing.jpg", 0);
    createImageTexture(slots, "broken.jpg", 1);
    createImageTexture(slots, longName.c_str(), 2);
    createImageTextureWithAlpha(slots, "missing.tga", 3);
    createImageTextureWithAlpha(slots, "sky.jpeg", 4);
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(slots[i], nullptr) << i;
        EXPECT_EQ(slots[i]->pixels, nullptr) << i;
        EXPECT_NE(slots[i]->texture, 0u) << i;
        glBindTexture(GL_TEXTURE_2D, slots[i]->texture);
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 0) << i;   // no image was handed to GLU
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ImageTextureTest, MismatchedLayoutsAreUploadedAsTheyReallyAre) {
    // A 32-bit TGA through the RGB creator: colours right, alpha dropped, nothing read past the pixels.
    put("rgba.tga", solidTga32(16, 5));
    createImageTexture(slots, "rgba.tga", 0);
    ASSERT_NE(slots[0]->pixels, nullptr);
    glBindTexture(GL_TEXTURE_2D, slots[0]->texture);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    Bytes texels = levelZero();
    EXPECT_EQ(texels[0], 30);
    EXPECT_EQ(texels[2], 10);
    EXPECT_EQ(texels[3], 255);
    EXPECT_EQ(texels[(16 * 16 - 1) * 4], 30);

    // A 24-bit TGA through the RGBA creator: opaque.
    Bytes stored;
    for (int i = 0; i < 8 * 8; ++i) stored.insert(stored.end(), {1, 2, 3});
    put("rgb.tga", tgaFile(8, 8, 24, stored));
    createImageTextureWithAlpha(slots, "rgb.tga", 1);
    glBindTexture(GL_TEXTURE_2D, slots[1]->texture);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), 4);   // the component count, as asked
    texels = levelZero();
    EXPECT_EQ(texels[0], 3);
    EXPECT_EQ(texels[2], 1);
    EXPECT_EQ(texels[3], 255);

    // A greyscale JPEG through the RGB creator: grey.
    put("grey.jpg", jpegFile(8, 8, 1, Bytes(64, 90)));
    createImageTexture(slots, "grey.jpg", 2);
    ASSERT_EQ(slots[2]->bytesPerPixel, 1);
    glBindTexture(GL_TEXTURE_2D, slots[2]->texture);
    texels = levelZero();
    EXPECT_NEAR(texels[0], 90, 2);
    EXPECT_NEAR(texels[1], 90, 2);
    EXPECT_NEAR(texels[2], 90, 2);

    // A PCX through the RGB creator is made at its scaled size from its RGBA pixels.
    Bytes indices(200 * 100, 40);
    put("scaled.pcx", pcxFile(200, 100, pcxLiterals(indices), rampPalette()));
    createImageTexture(slots, "scaled.pcx", 3);
    ASSERT_NE(slots[3]->pixels, nullptr);
    glBindTexture(GL_TEXTURE_2D, slots[3]->texture);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 128);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_HEIGHT), 64);
    texels = levelZero();
    EXPECT_EQ(texels[0], 40);
    EXPECT_EQ(texels[1], 215);
    EXPECT_EQ(texels[2], 20);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ImageTextureTest, PcxShrinkMatchesGluScaleImage) {
    // The decoders shrink without GL; GLU's own shrink of the same picture agrees within rounding.
    const int w = 37, h = 23, tw = 32, th = 16;
    Bytes source(static_cast<size_t>(w * h * 4));
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>((i * 37 + (i / 4) * 11) & 0xff);
    Bytes ours(static_cast<size_t>(tw * th * 4)), glu(ours.size());
    scaleImageRgba(source.data(), w, h, ours.data(), tw, th);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    ASSERT_EQ(gluScaleImage(GL_RGBA, w, h, GL_UNSIGNED_BYTE, source.data(), tw, th, GL_UNSIGNED_BYTE, glu.data()), 0);
    int worst = 0;
    for (size_t i = 0; i < ours.size(); ++i) worst = std::max(worst, std::abs(ours[i] - glu[i]));
    EXPECT_LE(worst, 1);
}
