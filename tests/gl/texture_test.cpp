// Textures on a real context: the image creators' parameters, mipmaps and anisotropy, images without
// pixels or of another layout, addTga's uploads and status codes, and the extension entry-point table.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <filesystem>

#include "image/gl_entry_points.h"
#include "image/texture.h"
#include "support/gl_test_context.h"
#include "unit/image_test_files.h"

namespace {
// Runs the test inside a scratch directory holding data/textury/, the creators' fixed directory.
class TextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(256, 256));
        ASSERT_EQ(chdir(root.c_str()), 0);
        mkdir("data", 0755);
        mkdir("data/textury", 0755);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        while (glGetError() != GL_NO_ERROR) {}
    }
    void TearDown() override {
        for (Image* slot : slots) releaseImage(slot);
        EXPECT_EQ(chdir(previous.c_str()), 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    const std::string previous = std::filesystem::current_path().string();
    const std::string root = scratchDirectory();
    Image* slots[8] = {};
};

void put(const char* name, const Bytes& bytes) { writeBytes(std::string("data/textury/") + name, bytes); }

GLint level(int level, GLenum name) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}
// Minification and magnification filters, then S and T wrapping, of the bound texture.
std::vector<GLint> parameters() {
    std::vector<GLint> values;
    for (GLenum name : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) {
        values.push_back(0);
        glGetTexParameteriv(GL_TEXTURE_2D, name, &values.back());
    }
    return values;
}
GLint environment() {
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    return mode;
}
// The first texel of level 0 of the bound texture, as RGBA.
Bytes firstTexel() {
    Bytes pixels(static_cast<size_t>(level(0, GL_TEXTURE_WIDTH) * level(0, GL_TEXTURE_HEIGHT) * 4));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return Bytes(pixels.begin(), pixels.begin() + 4);
}
}  // namespace

TEST_F(TextureTest, ImageCreatorsMakeMipmappedTexturesOfTheImagesRealLayoutAndANameEvenWithoutPixels) {
    // The RGB creator sets the modulate environment and wraps; the RGBA one leaves both alone (repeat is
    // OpenGL's initial wrapping). An image without pixels gets its texture name but no texture image.
    const struct {
        const char* file;
        Bytes bytes;
        bool alpha;
        GLint format, width, height;   // width 0: no texture image
        Bytes texel;
    } cases[] = {
        {"sky3.jpg", jpegFile(64, 64, 3, solid(64 * 64, {200, 100, 50})), false, GL_RGB, 64, 64, {200, 100, 50, 255}},
        {"orx.tga", tgaFile(32, 32, 32, solid(32 * 32, {10, 20, 30, 77})), true, 4, 32, 32, {30, 20, 10, 77}},
        // Layouts other than the creator's: alpha dropped, made opaque, grey spread, a PCX's scaled RGBA.
        {"rgba.tga", tgaFile(16, 16, 32, solid(16 * 16, {10, 20, 30, 5})), false, GL_RGB, 16, 16, {30, 20, 10, 255}},
        {"rgb.tga", tgaFile(8, 8, 24, solid(8 * 8, {1, 2, 3})), true, 4, 8, 8, {3, 2, 1, 255}},
        {"grey.jpg", jpegFile(8, 8, 1, Bytes(64, 90)), false, GL_RGB, 8, 8, {90, 90, 90, 255}},
        {"scaled.pcx", pcxFile(200, 100, Bytes(200 * 100, 40)), false, GL_RGB, 128, 64, {40, 215, 20, 255}},
        {"missing.jpg", {}, false, 0, 0, 0, {}}, {"broken.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3}, false, 0, 0, 0, {}},
        {"missing.tga", {}, true, 0, 0, 0, {}}, {"sky.jpeg", tgaFile(2, 2, 24, Bytes(12, 1)), true, 0, 0, 0, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        if (!c.bytes.empty()) put(c.file, c.bytes);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        (c.alpha ? createImageTextureWithAlpha : createImageTexture)(slots, c.file, 1);
        ASSERT_NE(slots[1], nullptr);
        ASSERT_NE(slots[1]->texture, 0u);
        glBindTexture(GL_TEXTURE_2D, slots[1]->texture);
        EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), c.width);
        EXPECT_EQ(slots[1]->pixels != nullptr, c.width > 0);   // the decoded pixels stay with the image
        if (c.width > 0) {
            EXPECT_EQ(environment(), c.alpha ? GL_REPLACE : GL_MODULATE);
            EXPECT_EQ(parameters(), (std::vector<GLint>{GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT}));
            EXPECT_EQ(level(0, GL_TEXTURE_INTERNAL_FORMAT), c.format);   // 4: the component count, as asked
            EXPECT_EQ(level(0, GL_TEXTURE_HEIGHT), c.height);
            EXPECT_EQ(level(std::bit_width(unsigned(c.width)) - 1, GL_TEXTURE_WIDTH), 1);   // the whole chain
            const Bytes texel = firstTexel();
            for (int i = 0; i < 4; ++i) EXPECT_NEAR(texel[i], c.texel[i], 3) << i;
        }
        releaseImage(slots[1]);
        slots[1] = nullptr;
    }
    createImageTexture(slots, (std::string(300, 'a') + ".jpg").c_str(), 0);   // too long for the path buffer
    EXPECT_EQ(slots[0]->pixels, nullptr);

    // The texture made last stays bound, with the driver's largest anisotropy, or 1 on a software
    // rasteriser (this machine's llvmpipe), where the creators keep trilinear filtering only.
    createImageTexture(slots, "sky3.jpg", 2);
    EXPECT_EQ(slots[1], nullptr);
    GLint bound = 0;
    GLfloat anisotropy = 0, largest = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), slots[2]->texture);
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
    EXPECT_GT(largest, 1.0f);
    EXPECT_EQ(maxTextureAnisotropy(), largest);
    EXPECT_EQ(anisotropy, softwareRasterizer(reinterpret_cast<const char*>(glGetString(GL_RENDERER))) ? 1 : largest);
    EXPECT_EQ(textureAnisotropy(), anisotropy);
    const GLuint name = slots[2]->texture;
    releaseImage(slots[2]);
    slots[2] = nullptr;
    EXPECT_FALSE(glIsTexture(name));
}

TEST_F(TextureTest, PcxShrinkMatchesGluScaleImage) {
    // The decoders shrink without GL; GLU's own shrink of the same picture agrees within rounding.
    const int w = 37, h = 23, tw = 32, th = 16;
    Bytes source(static_cast<size_t>(w * h * 4));
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>((i * 37 + (i / 4) * 11) & 0xff);
    Bytes ours(static_cast<size_t>(tw * th * 4)), glu(ours.size());
    scaleImageRgba(source.data(), w, h, ours.data(), tw, th);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    ASSERT_EQ(gluScaleImage(GL_RGBA, w, h, GL_UNSIGNED_BYTE, source.data(), tw, th, GL_UNSIGNED_BYTE, glu.data()), 0);
    for (size_t i = 0; i < ours.size(); ++i) ASSERT_NEAR(ours[i], glu[i], 1) << i;
}

TEST_F(TextureTest, AddTgaUploadsOneLinearLevelAndAppendsANameEvenOnFailure) {
    const struct {
        const char* file;
        Bytes bytes;
        int result;
    } cases[] = {{"head02.tga", tgaFile(64, 64, 32, solid(64 * 64, {10, 20, 30, 40})), TEX_OK},
                 {"grey.tga", tgaFile(16, 8, 8, Bytes(16 * 8, 200), 3), TEX_OK},
                 {"odd.tga", tgaFile(100, 100, 24, Bytes(100 * 100 * 3, 1)), TEX_ERR_SIZE},
                 {"large.tga", tgaFile(2048, 1, 24, Bytes(2048 * 3, 1)), TEX_ERR_SIZE},
                 {"missing.tga", {}, TEX_ERR_NO_PIXELS},
                 {"mapped.tga", tgaFile(4, 4, 24, Bytes(48, 1), 1, 0, 1), TEX_ERR_NO_PIXELS},
                 {"sixteen.tga", tgaFile(4, 4, 16, Bytes(32, 1)), TEX_ERR_NO_PIXELS},
                 {"rle.tga", tgaFile(4, 4, 24, Bytes(48, 1), 10), TEX_ERR_NO_PIXELS},
                 {"short.tga", tgaFile(64, 64, 32, Bytes(8 * 8 * 4, 1)), TEX_ERR_NO_PIXELS},
                 {"huge.tga", tgaFile(65535, 65535, 32, Bytes(16, 1)), TEX_ERR_NO_PIXELS},
                 {"id.tga", tgaFile(4, 4, 24, Bytes(48, 9), 2, 5), TEX_OK}};   // the identification field is skipped
    TextureList list;
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    for (const auto& c : cases) {
        if (!c.bytes.empty()) put(c.file, c.bytes);
        // The demo names its sprites with Windows separators.
        EXPECT_EQ(list.addTga((std::string("data\\textury\\") + c.file).c_str()), c.result) << c.file;
    }
    ASSERT_EQ(list.count, 11);
    for (int i = 1; i < list.count; ++i) EXPECT_GT(list.names[i], list.names[i - 1]) << i;   // call order
    EXPECT_EQ(environment(), GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, list.names[0]);
    EXPECT_EQ(parameters(), (std::vector<GLint>{GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT}));
    EXPECT_EQ(level(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(level(1, GL_TEXTURE_WIDTH), 0);   // a single level
    EXPECT_EQ(firstTexel(), Bytes({30, 20, 10, 40}));
    glBindTexture(GL_TEXTURE_2D, list.names[1]);   // an 8-bit greyscale TGA becomes an alpha texture
    EXPECT_EQ(level(0, GL_TEXTURE_INTERNAL_FORMAT), GL_ALPHA);
    EXPECT_EQ(level(0, GL_TEXTURE_HEIGHT), 8);
    glBindTexture(GL_TEXTURE_2D, list.names[2]);
    EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), 0);   // a failure's name holds no image
    list.clear();
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.names, nullptr);

    // The reading status stays in the loader: each failure has its own code.
    TgaTexture loader;
    for (auto [file, status] : {std::pair{"missing.tga", TEX_ERR_OPEN}, {"mapped.tga", TEX_ERR_TYPE},
                                {"sixteen.tga", TEX_ERR_DEPTH}, {"short.tga", TEX_ERR_READ}}) {
        EXPECT_EQ(loader.readFile((std::string("data/textury/") + file).c_str()), 0) << file;
        EXPECT_EQ(loader.status, status) << file;
    }
    EXPECT_EQ(loader.upload(true), TEX_ERR_NO_PIXELS);
    // The loader's fields decide the upload; the pixels are kept until an upload is told to free them.
    TgaTexture fields;
    GLuint name = 0;
    glGenTextures(1, &name);
    ASSERT_EQ(fields.loadInto("data/textury/id.tga", name, GL_RGB), 1);
    EXPECT_EQ(fields.bits, 24);
    fields.buildMipmaps = 1;
    fields.minFilter = GL_LINEAR_MIPMAP_NEAREST;
    fields.wrapS = GL_CLAMP_TO_EDGE;
    EXPECT_EQ(fields.upload(false), TEX_OK);
    EXPECT_NE(fields.pixels, nullptr);
    glBindTexture(GL_TEXTURE_2D, name);
    EXPECT_EQ(parameters(), (std::vector<GLint>{GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_REPEAT}));
    EXPECT_EQ(level(2, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(fields.upload(true), TEX_OK);
    EXPECT_EQ(fields.pixels, nullptr);
}

TEST_F(TextureTest, EntryPointTableFollowsTheExtensionStringNotThePlatformLookup) {
    // Whole words only: a prefix of a real extension name is not an extension.
    EXPECT_TRUE(glExtensionPresent("GL_ARB_vertex_buffer_object"));
    EXPECT_FALSE(glExtensionPresent("GL_ARB_vertex_buffer"));
    loadExtensionEntryPoints();
    EXPECT_NE(glEntry::glActiveTexture, nullptr);   // core since 1.3
    EXPECT_NE(glEntry::glTexImage3D, nullptr);
    ASSERT_NE(glEntry::glGenBuffersARB, nullptr);
    EXPECT_NE(glEntry::glGenQueriesARB, nullptr);
    // Mesa has no NV programs: the platform's lookup would still answer, the table stays null.
    EXPECT_EQ(glEntry::glLoadProgramNV, nullptr);
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
