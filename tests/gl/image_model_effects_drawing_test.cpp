// Textures, models and overlays on a real context: the image creators' parameters and mipmaps, addTga's
// uploads and codes, the extension table; material slots, the detail set and the texture-unit, binding,
// colour and coordinate state Model::draw leaves; fades, the zoom blur's inset, where the projections put
// points and how round a sphere comes out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "platform/platform_gl_lookup.h"
#include "platform/quit_request.h"
#include "services/settings.h"
#include "effects/overlays.h"
#include "effects/projection.h"
#include "image/gl_entry_points.h"
#include "image/texture.h"
#include "model/model.h"
#include "model/normals.h"
#include "support/chunk_writer_3ds.h"
#include "support/gl_feedback.h"
#include "support/gl_test_context.h"
#include "support/message_recorder.h"
#include "unit/image_test_files.h"

namespace fs = std::filesystem;

namespace {
constexpr int side = 256;

// Each test runs in its own folder holding data/3ds and data/textury, as the demo's working folder, from
// a plain state: identity matrices, no lighting, depth test or blending, both texture units off and empty.
class Drawing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(side, side));
        ASSERT_TRUE(resolveMultitextureEntryPoints(lookupGlEntryPoint));
        for (const char* sub : {"data/3ds", "data/textury"}) fs::create_directories(folder / sub);
        fs::current_path(folder);
        recordMessageBoxes();
        for (GLenum matrix : {GL_PROJECTION, GL_MODELVIEW}) {
            glMatrixMode(matrix);
            glLoadIdentity();
        }
        for (GLenum cap : {GL_LIGHTING, GL_DEPTH_TEST, GL_BLEND}) glDisable(cap);
        for (GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
            glActiveTexture(unit);
            glDisable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, 0);
            glMultiTexCoord2fARB(unit, 0.0f, 0.0f);
        }
        glReadBuffer(GL_FRONT);   // the offscreen context is single-buffered
        while (glGetError() != GL_NO_ERROR) {}
    }
    void TearDown() override {
        model.release();
        for (Image* slot : slots) releaseImage(slot);
        restoreMessageBoxes();
        fs::current_path(previous);
        fs::remove_all(folder);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    const fs::path previous = fs::current_path();
    const fs::path folder = fs::temp_directory_path() / ("halvex-gl-" + std::to_string(getpid()));
    Model model;
    Image* slots[8] = {};
};

std::vector<GLint> integers(GLenum name) {
    std::vector<GLint> values(4);
    glGetIntegerv(name, values.data());
    return values;
}
GLint integer(GLenum name) { return integers(name)[0]; }

// The frame after draw over a clear of the given grey, as RGBA bytes from the bottom row up.
std::vector<unsigned char> drawn(const std::function<void()>& draw, float grey = 0) {
    glViewport(0, 0, side, side);
    glClearColor(grey, grey, grey, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    glFinish();
    std::vector<unsigned char> frame(side * side * 4);
    glReadPixels(0, 0, side, side, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}
int at(const std::vector<unsigned char>& frame, int x, int y, int channel = 0) {
    return frame[(y * side + x) * 4 + channel];
}

// Each state's (first) value, and whether each capability is on.
void expectState(std::initializer_list<std::pair<GLenum, GLint>> states,
                 std::initializer_list<std::pair<GLenum, bool>> caps) {
    for (auto [name, value] : states) EXPECT_EQ(integer(name), value) << std::hex << name;
    for (auto [cap, on] : caps) EXPECT_EQ(glIsEnabled(cap), on) << std::hex << cap;
}
std::vector<GLfloat> matrix(GLenum which) {
    std::vector<GLfloat> values(16);
    glGetFloatv(which, values.data());
    return values;
}
const std::vector<GLfloat> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Where the current projection puts an eye-space point, in normalised device coordinates.
std::vector<double> projected(double x, double y, double z) {
    const std::vector<GLfloat> m = matrix(GL_PROJECTION_MATRIX);
    double clip[4];
    for (int row = 0; row < 4; ++row) clip[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    return {clip[0] / clip[3], clip[1] / clip[3], clip[2] / clip[3]};
}
// The 2D screen space: the unit square's corners fill the viewport.
void expectUnitSquareProjection() {
    const std::vector<double> low = projected(0, 0, 0), high = projected(1, 1, 0);
    EXPECT_TRUE(low[0] == -1 && low[1] == -1 && high[0] == 1 && high[1] == 1);
}

void put(const char* name, const Bytes& bytes) { writeBytes(std::string("data/textury/") + name, bytes); }

GLint level(int level, GLenum name) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}
// What a texture's creator sets: the bound texture's filters, wrapping and anisotropy, the environment mode.
std::vector<GLint> parameters() {
    std::vector<GLint> values(6);
    int i = 0;
    for (GLenum name : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T,
                        GL_TEXTURE_MAX_ANISOTROPY_EXT})
        glGetTexParameteriv(GL_TEXTURE_2D, name, &values[i++]);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &values[5]);
    return values;
}
// The first texel of level 0 of the bound texture, as RGBA.
Bytes firstTexel() {
    Bytes pixels(static_cast<size_t>(level(0, GL_TEXTURE_WIDTH) * level(0, GL_TEXTURE_HEIGHT) * 4));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return Bytes(pixels.begin(), pixels.begin() + 4);
}

// A texture of one colour (grey, grey / 2, grey / 4) in the slot.
void solidTexture(Image*& slot, uint8_t grey) {
    const std::string file = std::to_string(grey) + ".tga";
    put(file.c_str(), tgaFile(1, 1, 24, {uint8_t(grey / 4), uint8_t(grey / 2), grey}));
    createImageTexture(&slot, file.c_str(), 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

// Two triangles over the clip square; the last corner drawn is vertex 3, with coordinates (0, 0.75).
Object3ds square(bool textured, int materialIndex) {
    Object3ds object;
    object.vertices = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    object.faces = {{{0, 1, 2}}, {{0, 2, 3}}};
    object.texVertices = {{0.0f, 0.0f}, {0.25f, 0.0f}, {0.25f, 0.5f}, {0.0f, 0.75f}};
    object.vertexCount = object.texVertexCount = 4;
    object.faceCount = 2;
    object.hasTexture = textured;
    object.materialIndex = materialIndex;
    computeObjectNormals(object);
    return object;
}
void add(Model& model, Object3ds object) {
    model.data.objects.push_back(std::move(object));
    model.data.objectCount = static_cast<int>(model.data.objects.size());
}
// Material 0 textured in slot 0 (texel 200, 100, 50), material 1 untextured in (10, 200, 30).
void fill(Model& model) {
    model.data.materials = {Material3ds{"skin", "", {1, 2, 3}}, Material3ds{"paint", "", {10, 200, 30}}};
    model.data.materialCount = 2;
    solidTexture(model.textures[0], 200);
}
// The detail texture (128, 64, 32) and a coordinate set of 4 with (16, 17) last.
void addDetail(Model& model) {
    model.detailMode = 1;
    solidTexture(model.textures[detailTextureSlot], 128);
    model.detailCoords.objects.resize(1);
    model.detailCoords.objects[0].texVertices = {{10, 11}, {12, 13}, {14, 15}, {16, 17}};
    model.detailCoords.objects[0].texVertexCount = 4;
    model.detailCoords.objectCount = 1;
}

// What draw leaves for the next object: the active unit; for units 0 and 1 whether texturing is on, the
// texture bound and the current coordinates (s, t); the current colour as bytes.
using State = std::vector<double>;
State state() {
    State values = {double(integer(GL_ACTIVE_TEXTURE_ARB))};
    for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB}) {
        GLfloat st[4];
        glActiveTexture(unit);
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, st);
        values.insert(values.end(), {double(glIsEnabled(GL_TEXTURE_2D)), double(integer(GL_TEXTURE_BINDING_2D)), st[0],
                                     st[1]});
    }
    glActiveTexture(static_cast<GLenum>(values[0]));
    GLfloat rgba[4];
    glGetFloatv(GL_CURRENT_COLOR, rgba);
    for (int i = 0; i < 3; ++i) values.push_back(std::round(rgba[i] * 255));
    return values;
}
size_t triangles(const Model& model) { return captureFeedbackPolygons([&] { model.draw(); }).size(); }

// The vertices the draw hands to GL, clipped or not, counted by a pipeline statistics query; -1 when the
// driver cannot count them.
long verticesSubmitted(const std::function<void()>& draw) {
    if (!glExtensionPresent("GL_ARB_pipeline_statistics_query")) return -1;
    const auto genQueries = reinterpret_cast<PFNGLGENQUERIESPROC>(lookupGlEntryPoint("glGenQueries"));
    const auto beginQuery = reinterpret_cast<PFNGLBEGINQUERYPROC>(lookupGlEntryPoint("glBeginQuery"));
    const auto endQuery = reinterpret_cast<PFNGLENDQUERYPROC>(lookupGlEntryPoint("glEndQuery"));
    const auto queryResult = reinterpret_cast<PFNGLGETQUERYOBJECTUIVPROC>(lookupGlEntryPoint("glGetQueryObjectuiv"));
    const auto deleteQueries = reinterpret_cast<PFNGLDELETEQUERIESPROC>(lookupGlEntryPoint("glDeleteQueries"));
    GLuint query = 0;
    GLuint count = 0;
    genQueries(1, &query);
    beginQuery(GL_VERTICES_SUBMITTED_ARB, query);
    draw();
    endQuery(GL_VERTICES_SUBMITTED_ARB);
    queryResult(query, GL_QUERY_RESULT, &count);
    deleteQueries(1, &query);
    return count;
}
}  // namespace

TEST_F(Drawing, ImageCreatorsMakeMipmappedTexturesOfTheImagesRealLayoutAndANameEvenWithoutPixels) {
    // The RGB creator sets the modulate environment and wraps (the RGBA one leaves both alone); both leave
    // the texture bound, with the largest anisotropy, or 1 on a software rasteriser (this llvmpipe).
    GLfloat largest = 0;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
    EXPECT_EQ(maxTextureAnisotropy(), largest);
    const GLint anisotropy = softwareRasterizer(reinterpret_cast<const char*>(glGetString(GL_RENDERER))) ? 1 : largest;
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
        {"missing.jpg", {}, false, 0, 0, 0, {}}, {"missing.tga", {}, true, 0, 0, 0, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        if (!c.bytes.empty()) put(c.file, c.bytes);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        (c.alpha ? createImageTextureWithAlpha : createImageTexture)(slots, c.file, 1);
        ASSERT_NE(slots[1], nullptr);
        const GLuint name = slots[1]->texture;
        EXPECT_NE(name, 0u);
        EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), GLint(name));
        EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), c.width);
        EXPECT_EQ(slots[1]->pixels != nullptr, c.width > 0);   // the decoded pixels stay with the image
        if (c.width > 0) {
            EXPECT_EQ(parameters(), (std::vector<GLint>{GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT,
                                                        anisotropy, c.alpha ? GL_REPLACE : GL_MODULATE}));
            EXPECT_EQ(level(0, GL_TEXTURE_INTERNAL_FORMAT), c.format);   // 4: the component count, as asked
            EXPECT_EQ(level(0, GL_TEXTURE_HEIGHT), c.height);
            EXPECT_EQ(level(std::bit_width(unsigned(c.width)) - 1, GL_TEXTURE_WIDTH), 1);   // the whole chain
            const Bytes texel = firstTexel();
            for (int i = 0; i < 4; ++i) EXPECT_NEAR(texel[i], c.texel[i], 3) << i;
        }
        releaseImage(std::exchange(slots[1], nullptr));
        EXPECT_FALSE(glIsTexture(name));
    }
    createImageTexture(slots, (std::string(300, 'a') + ".jpg").c_str(), 0);   // too long for the path buffer
    EXPECT_EQ(slots[0]->pixels, nullptr);
}

TEST_F(Drawing, PcxShrinkMatchesGluScaleImage) {
    // The decoders shrink without GL; GLU's own shrink of the same picture agrees within rounding.
    const int w = 37, h = 23, tw = 32, th = 16;
    Bytes source(static_cast<size_t>(w * h * 4));
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>((i * 37 + (i / 4) * 11) & 0xff);
    Bytes ours(static_cast<size_t>(tw * th * 4)), glu(ours.size());
    scaleImageRgba(source.data(), w, h, ours.data(), tw, th);
    ASSERT_EQ(gluScaleImage(GL_RGBA, w, h, GL_UNSIGNED_BYTE, source.data(), tw, th, GL_UNSIGNED_BYTE, glu.data()), 0);
    for (size_t i = 0; i < ours.size(); ++i) ASSERT_NEAR(ours[i], glu[i], 1) << i;
}

TEST_F(Drawing, AddTgaUploadsOneLinearLevelAndAppendsANameEvenOnFailure) {
    // addTga's code for each file, and the reading status its loader keeps (TEX_OK when it read the file).
    const struct {
        const char* file;
        Bytes bytes;
        int result, status;
    } cases[] = {{"head02.tga", tgaFile(64, 64, 32, solid(64 * 64, {10, 20, 30, 40})), TEX_OK, TEX_OK},
                 {"grey.tga", tgaFile(16, 8, 8, Bytes(16 * 8, 200), 3), TEX_OK, TEX_OK},
                 {"odd.tga", tgaFile(100, 100, 24, Bytes(100 * 100 * 3, 1)), TEX_ERR_SIZE, TEX_OK},
                 {"missing.tga", {}, TEX_ERR_NO_PIXELS, TEX_ERR_OPEN},
                 {"mapped.tga", tgaFile(4, 4, 24, Bytes(48, 1), 2, 0, 1), TEX_ERR_NO_PIXELS, TEX_ERR_TYPE},
                 {"rle.tga", tgaFile(4, 4, 24, Bytes(48, 1), 10), TEX_ERR_NO_PIXELS, TEX_ERR_TYPE},
                 {"sixteen.tga", tgaFile(4, 4, 16, Bytes(32, 1)), TEX_ERR_NO_PIXELS, TEX_ERR_DEPTH},
                 {"short.tga", tgaFile(64, 64, 32, Bytes(8 * 8 * 4, 1)), TEX_ERR_NO_PIXELS, TEX_ERR_READ},
                 {"huge.tga", tgaFile(65535, 65535, 32, Bytes(16, 1)), TEX_ERR_NO_PIXELS, TEX_ERR_READ},
                 {"id.tga", tgaFile(4, 4, 24, Bytes(48, 9), 2, 5), TEX_OK, TEX_OK}};   // the identification is skipped
    TextureList list;
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    for (const auto& c : cases) {
        if (!c.bytes.empty()) put(c.file, c.bytes);
        const std::string path = std::string("data\\textury\\") + c.file;   // the demo's Windows separators
        EXPECT_EQ(list.addTga(path.c_str()), c.result) << c.file;
        TgaTexture loader;
        EXPECT_EQ(loader.readFile(path.c_str()) ? TEX_OK : loader.status, c.status) << c.file;
    }
    ASSERT_EQ(list.count, 10);
    glBindTexture(GL_TEXTURE_2D, list.names[0]);
    EXPECT_EQ(parameters(), (std::vector<GLint>{GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, 1, GL_MODULATE}));
    EXPECT_EQ(level(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(level(1, GL_TEXTURE_WIDTH), 0);   // a single level
    EXPECT_EQ(firstTexel(), Bytes({30, 20, 10, 40}));
    glBindTexture(GL_TEXTURE_2D, list.names[1]);   // an 8-bit greyscale TGA becomes an alpha texture
    EXPECT_EQ(level(0, GL_TEXTURE_INTERNAL_FORMAT), GL_ALPHA);
    EXPECT_EQ(level(0, GL_TEXTURE_HEIGHT), 8);
    glBindTexture(GL_TEXTURE_2D, list.names[2]);
    EXPECT_EQ(level(0, GL_TEXTURE_WIDTH), 0);   // a failure's name holds no image
    // Clearing gives every texture object back, the failures' names too.
    const std::vector<GLuint> names(list.names, list.names + list.count);
    glBindTexture(GL_TEXTURE_2D, 0);
    list.clear();
    EXPECT_TRUE(list.count == 0 && list.names == nullptr);
    for (GLuint name : names) EXPECT_FALSE(glIsTexture(name)) << name;
}

TEST_F(Drawing, EntryPointTableFollowsTheExtensionStringNotThePlatformLookup) {
    // Whole words only: a prefix of a real extension name is not an extension.
    EXPECT_TRUE(glExtensionPresent("GL_ARB_vertex_buffer_object"));
    EXPECT_FALSE(glExtensionPresent("GL_ARB_vertex_buffer"));
    loadExtensionEntryPoints(lookupGlEntryPoint);
    EXPECT_NE(glEntry::glTexImage3D, nullptr);   // core since 1.2
    EXPECT_NE(glEntry::glGenBuffersARB, nullptr);
    // Mesa has no NV programs: the platform's lookup would still answer, the table stays null.
    EXPECT_EQ(glEntry::glLoadProgramNV, nullptr);
    hideGlExtensionForTest("GL_ARB_vertex_buffer_object");
    loadExtensionEntryPoints(lookupGlEntryPoint);
    EXPECT_EQ(glEntry::glGenBuffersARB, nullptr);
    EXPECT_NE(glEntry::glGenQueriesARB, nullptr);
    hideGlExtensionForTest(nullptr);
    loadExtensionEntryPoints(lookupGlEntryPoint);
}

TEST_F(Drawing, TexturedObjectsLeaveUnitOneActiveInSingleModeAndUnitZeroWithDetail) {
    fill(model);
    add(model, square(true, 0));
    const double skin = model.textures[0]->texture;
    // Single mode: unit 1 active and off, unit 0 on with the texture and the last corner's coordinates; the
    // caller's colour is untouched and modulates the texture, which fades rely on.
    glColor3f(0.5f, 0.25f, 0.75f);
    EXPECT_NEAR(at(drawn([&] { model.draw(); }), side / 2, side / 2), 100, 2);
    EXPECT_EQ(state(), (State{GL_TEXTURE1_ARB, 1, skin, 0, 0.75, 0, 0, 0, 0, 128, 64, 191}));
    // Detail mode: unit 0 active, both on, unit 1 with the detail set's pair at the same index; white, and
    // the detail texture multiplies the material texture.
    addDetail(model);
    const double detail = model.textures[detailTextureSlot]->texture;
    EXPECT_NEAR(at(drawn([&] { model.draw(); }), side / 2, side / 2), 100, 3);
    EXPECT_EQ(state(), (State{GL_TEXTURE0_ARB, 1, skin, 0, 0.75, 1, detail, 16, 17, 255, 255, 255}));
    // So an untextured object after a textured one disables unit 0 with detail, and unit 1 without.
    Object3ds panel = square(false, 1);
    panel.texVertices.clear();
    add(model, panel);
    model.draw();
    EXPECT_EQ(state(), (State{GL_TEXTURE0_ARB, 0, skin, 0, 0.75, 1, detail, 16, 17, 10, 200, 30}));
    model.detailMode = 0;
    model.draw();
    EXPECT_EQ(state(), (State{GL_TEXTURE1_ARB, 1, skin, 0, 0.75, 0, detail, 16, 17, 10, 200, 30}));

    // Without the coordinate entry point the detail is left out, as in single mode.
    model.detailMode = 1;
    model.data.objectCount = 1;
    glEntry::glMultiTexCoord2fARB = nullptr;
    glEnable(GL_TEXTURE_2D);   // on unit 1
    glTexCoord2f(9, 9);
    model.draw();
    EXPECT_EQ(state(), (State{GL_TEXTURE1_ARB, 1, skin, 0, 0.75, 0, detail, 16, 17, 10, 200, 30}));
    // Without either: the texture goes on the unit that is active, and nothing selects a unit.
    glActiveTexture(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    glTexCoord2f(9, 9);
    glEntry::glActiveTextureARB = nullptr;
    model.draw();
    ASSERT_TRUE(resolveMultitextureEntryPoints(lookupGlEntryPoint));
    EXPECT_EQ(state(), (State{GL_TEXTURE0_ARB, 1, skin, 0, 0.75, 0, detail, 16, 17, 10, 200, 30}));
}

TEST_F(Drawing, FacesWhollyBeyondOneSideOfTheViewAreLeftOutWithoutChangingThePictureOrTheStateLeft) {
    fill(model);
    Object3ds object = square(true, 0);   // the whole view, with identity matrices
    const auto addFace = [&](std::initializer_list<Vector3> corners, Vector2 coords) {
        for (const Vector3& corner : corners) {
            object.vertices.push_back(corner);
            object.texVertices.push_back(coords);
        }
        const int first = static_cast<int>(object.vertices.size()) - 3;
        object.faces.push_back({{first, first + 1, first + 2}});
    };
    addFace({{0.5f, -0.5f, 0}, {1.5f, -0.5f, 0}, {1.5f, 0.5f, 0}}, {0.5f, 0.5f});        // across the right edge
    addFace({{-3, 3, 0}, {3, -3, 0}, {3, 3, 0.5f}}, {0.5f, 0.5f});                        // corners beyond different sides
    addFace({{-3, -0.5f, 0}, {-2, -0.5f, 0}, {-2, 0.5f, 0}}, {0.5f, 0.5f});               // left of the view
    addFace({{0, 0, 5}, {0.5f, 0, 5}, {0, 0.5f, 6}}, {0.5f, 0.5f});                       // beyond the far side
    addFace({{-0.5f, 2, 0}, {0.5f, 2, 0}, {0, 2.0001f, 0.7f}}, {0.125f, 0.875f});          // above the view, last
    object.vertexCount = object.texVertexCount = static_cast<int>(object.vertices.size());
    object.faceCount = static_cast<int>(object.faces.size());
    computeObjectNormals(object);
    add(model, object);

    // Only the two faces of the square and the two that reach into the view are sent.
    const long vertices = verticesSubmitted([&] { model.draw(); });
    if (vertices < 0) ADD_FAILURE() << "the driver cannot count submitted vertices";
    EXPECT_EQ(vertices, 12);
    // What reaches into the view is drawn: without the square, the texture (200 under white) on black.
    model.data.objects[0].faces.erase(model.data.objects[0].faces.begin(), model.data.objects[0].faces.begin() + 2);
    glColor3f(1, 1, 1);
    const std::vector<unsigned char> frame = drawn([&] { model.draw(); });
    EXPECT_EQ(at(frame, side - 2, side / 2), 200);              // the face across the right edge
    EXPECT_EQ(at(frame, side / 2 - 20, side * 3 / 4), 200);     // the face whose corners are all outside
    EXPECT_EQ(at(frame, side / 4, side / 4), 0);                // and nothing where no face reaches

    // Left out, the last face still leaves its last corner's coordinates, normal and the colour current.
    glColor3f(0.5f, 0.25f, 0.75f);
    model.draw();
    EXPECT_EQ(state(), (State{GL_TEXTURE1_ARB, 1, double(model.textures[0]->texture), 0.125, 0.875, 0, 0, 0, 0, 128,
                              64, 191}));
    GLfloat normal[4];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    const Vector3& last = model.data.objects[0].normals.back();
    EXPECT_TRUE(normal[0] == last.x && normal[1] == last.y && normal[2] == last.z);

    // The same matrices a scene sets up: a face moved out of the view by the modelview is left out too,
    // and the projection counts, not only the modelview.
    glMatrixMode(GL_PROJECTION);
    glOrtho(-4, 4, -4, 4, -4, 4);   // now the left face is in view, the one above it too
    glMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(verticesSubmitted([&] { model.draw(); }), 12);
    glTranslatef(20, 0, 0);
    EXPECT_EQ(verticesSubmitted([&] { model.draw(); }), 0);
    // Compiled into a list under those matrices, every face goes in: the list may be called under others.
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    model.draw();
    glEndList();
    glLoadIdentity();
    EXPECT_EQ(verticesSubmitted([&] { glCallList(list); }), 15);
    glDeleteLists(list, 1);
}

TEST_F(Drawing, ManyFacesGoInBatchesThatDrawEveryOneAndLeaveDitheringAsFound) {
    // 300 thin strips across the view, each two faces: more than two batches.
    Object3ds strips;
    for (int i = 0; i < 300; ++i) {
        const float x0 = -1 + i * (2.0f / 300), x1 = -1 + (i + 1) * (2.0f / 300);
        const int first = static_cast<int>(strips.vertices.size());
        strips.vertices.insert(strips.vertices.end(), {{x0, -1, 0}, {x1, -1, 0}, {x1, 1, 0}, {x0, 1, 0}});
        strips.faces.insert(strips.faces.end(), {{{first, first + 1, first + 2}}, {{first, first + 2, first + 3}}});
    }
    strips.vertexCount = static_cast<int>(strips.vertices.size());
    strips.faceCount = static_cast<int>(strips.faces.size());
    strips.materialIndex = -1;
    computeObjectNormals(strips);
    add(model, strips);
    for (bool dither : {true, false}) {
        if (dither) glEnable(GL_DITHER);
        else glDisable(GL_DITHER);
        EXPECT_EQ(verticesSubmitted([&] { model.draw(); }), 1800);
        const std::vector<unsigned char> frame = drawn([&] { model.draw(); });
        int white = 0;
        for (int x = 0; x < side; ++x) white += at(frame, x, side / 2) == 255;
        EXPECT_EQ(white, side) << "a strip is missing";
        EXPECT_EQ(glIsEnabled(GL_DITHER), dither);
    }
    glEnable(GL_DITHER);
}

TEST_F(Drawing, ObjectsWithoutATextureTakeTheirMaterialsColourOrWhiteAndReadNothingOutsideATable) {
    // An empty model makes no call and leaves the state alone.
    glActiveTexture(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glColor3f(0.2f, 0.4f, 0.6f);
    EXPECT_EQ(triangles(model), 0u);
    EXPECT_EQ(state(), (State{GL_TEXTURE1_ARB, 0, 0, 0, 0, 1, 0, 0, 0, 51, 102, 153}));
    glDisable(GL_TEXTURE_2D);
    fill(model);
    // Objects without a texture behind them (none flagged, material -1, past the slots, an empty slot) are
    // drawn untextured, in their material's colour when it exists (0 when they have no group) or white.
    const struct {
        bool textured;
        int material, materials;
        double red, green, blue;
    } cases[] = {{false, 0, 2, 1, 2, 3}, {false, -1, 2, 255, 255, 255}, {false, 0, 0, 255, 255, 255},
                 {true, -1, 2, 255, 255, 255}, {true, 150, 2, 255, 255, 255}, {true, 1, 2, 10, 200, 30}};
    for (const auto& c : cases) {
        Model one;
        one.data.materials.assign(model.data.materials.begin(), model.data.materials.begin() + c.materials);
        one.data.materialCount = c.materials;
        add(one, square(c.textured, c.material));
        glActiveTexture(GL_TEXTURE0_ARB);
        glEnable(GL_TEXTURE_2D);
        glColor3f(0.1f, 0.1f, 0.1f);
        EXPECT_EQ(triangles(one), 2u);
        EXPECT_EQ(state(), (State{GL_TEXTURE0_ARB, 0, 0, 0, 0, 0, 0, 0, 0, c.red, c.green, c.blue}))
            << c.textured << " " << c.material << " " << c.materials;
    }
    // Coordinates shorter than the vertices: the last corner sends none, so vertex 2's stays in force.
    const double skin = model.textures[0]->texture;
    add(model, square(true, 0));
    model.data.objects[0].texVertices.resize(3);
    glColor3f(1, 1, 1);
    model.draw();
    EXPECT_EQ(state(), (State{GL_TEXTURE1_ARB, 1, skin, 0.25, 0.5, 0, 0, 0, 0, 255, 255, 255}));
    // A detail set shorter than the vertices: the last corner sends its own pair but no detail pair.
    model.data.objects[0].texVertices = square(true, 0).texVertices;
    addDetail(model);
    model.detailCoords.objects[0].texVertices.resize(3);
    model.draw();
    const double detail = model.textures[detailTextureSlot]->texture;
    EXPECT_EQ(state(), (State{GL_TEXTURE0_ARB, 1, skin, 0, 0.75, 1, detail, 14, 15, 255, 255, 255}));
    model.detailCoords.clear();   // then no detail set at all
    EXPECT_EQ(triangles(model), 2u);
    // Faces with a vertex index at or past the vertex count are not drawn.
    model.data.objects[0].faces.insert(model.data.objects[0].faces.end(), {{{0, 2, 4}}, {{65535, 1, 2}}});
    model.data.objects[0].faceCount = 4;
    EXPECT_EQ(triangles(model), 2u);
}

TEST_F(Drawing, LoadGivesMaterialIThSlotIUpToTheHundredthAndReleaseFreesEverySlot) {
    const auto object = [](const std::string& name, const std::string& material, float v) {
        const TestChunk group = materialGroupChunk(material, {0});
        return namedObjectChunk(name, {triangleMeshChunk({vertexListChunk({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}),
                                                          faceListChunk({{0, 1, 2}}, {group}),
                                                          mappingCoordsChunk({{0, 0}, {1, 0}, {1, v}})})});
    };
    // Materials 0 and 2 name no texture, 1 a file that is there, 3 to 102 one that is not.
    std::vector<TestChunk> chunks = {materialChunk({materialNameChunk("paint"), diffuseChunk(1, 2, 3)}),
                                     materialChunk({materialNameChunk("skin"), textureMapChunk("skin.tga")}),
                                     materialChunk({materialNameChunk("bare")})};
    for (int i = 3; i < 103; ++i)
        chunks.push_back(materialChunk({materialNameChunk("m" + std::to_string(i)), textureMapChunk("gone.jpg")}));
    for (const char* material : {"skin", "paint", "m102"}) chunks.push_back(object(material, material, 1));
    writeBytes("data/3ds/ship.3ds", encodeChunk(primaryChunk({meshDataChunk(chunks)})));
    writeBytes("data/textury/skin.tga", tgaFile(2, 2, 24, Bytes(12, 9)));
    model.load("data/3ds/ship.3ds", nullptr);
    EXPECT_TRUE(recordedMessages().empty());
    ASSERT_EQ(model.data.objectCount, 3);
    EXPECT_EQ(model.detailMode, 0);
    for (int slot = 0; slot < modelTextureSlots; ++slot)   // not packed; material 100 takes no detail slot
        EXPECT_EQ(model.textures[slot] != nullptr, slot == 1 || (slot >= 3 && slot < modelMaterialSlots)) << slot;
    EXPECT_NE(model.textures[1]->pixels, nullptr);
    EXPECT_EQ(model.textures[3]->pixels, nullptr);   // a missing image still gets its slot and texture name
    const GLuint skin = model.textures[1]->texture, gone = model.textures[99]->texture;
    EXPECT_TRUE(glIsTexture(skin));
    model.release();
    for (Image* slot : model.textures) EXPECT_EQ(slot, nullptr);
    EXPECT_FALSE(glIsTexture(skin) || glIsTexture(gone));
    EXPECT_EQ(model.data.objectCount, 0);

    // With a detail name the second coordinate set comes from its fixed file, even for a missing model.
    writeBytes("data/textury/detail2.tga", tgaFile(2, 2, 24, Bytes(12, 128)));
    writeBytes(detailCoordsPath, encodeChunk(primaryChunk({meshDataChunk({object("detail", "", 8)})})));
    model.load("data/3ds/ship.3ds", "detail2.tga");
    EXPECT_EQ(model.detailMode, 1);
    ASSERT_NE(model.textures[detailTextureSlot], nullptr);
    EXPECT_NE(model.textures[detailTextureSlot]->pixels, nullptr);
    model.data.objectCount = 1;
    model.draw();   // the last corner carries its own (1, 1) on unit 0 and the detail set's (1, 8) on unit 1
    EXPECT_EQ(state(), (State{GL_TEXTURE0_ARB, 1, double(model.textures[1]->texture), 1, 1, 1,
                                            double(model.textures[detailTextureSlot]->texture), 1, 8, 255, 255, 255}));
    model.load("data/3ds/none.3ds", "detail2.tga");   // the reader's own tests check its message
    EXPECT_EQ(model.data.objectCount, 0);
    EXPECT_EQ(model.detailCoords.objectCount, 1);
    EXPECT_NE(model.textures[detailTextureSlot], nullptr);
    model.release();
    EXPECT_EQ(model.textures[detailTextureSlot], nullptr);
    EXPECT_EQ(model.detailMode + model.detailCoords.objectCount, 0);
}

TEST_F(Drawing, FadeOpacityFollowsTheElapsedShareOfTheDurationAndTheStateIsLeftAsScenesExpect) {
    const struct {
        void (*fade)(double, double);
        double duration, elapsed;
        int red;   // of a white frame
    } cases[] = {{fadeToBlack, 1000, 250, 191}, {fadeFromBlack, 1000, 250, 64},
                 // Past the end the colour is clamped; a zero duration counts as finished, no division by zero.
                 {fadeToBlack, 500, 900, 0}, {fadeFromBlack, 500, 900, 255}, {fadeToBlack, 0, 0, 0},
                 {fadeFromBlack, 0, 0, 255}};
    // Lighting does not tint the quad; a small viewport does not shrink it: fades cover the whole screen.
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL}) glEnable(cap);
    for (const auto& c : cases) {
        const auto frame = drawn([&] {
            glViewport(0, 0, 10, 10);
            c.fade(c.duration, c.elapsed);
        }, 1);
        EXPECT_NEAR(at(frame, side - 1, side - 1), c.red, 2) << (c.fade == fadeToBlack) << " " << c.elapsed;
    }
    expectState({{GL_MATRIX_MODE, GL_MODELVIEW}, {GL_BLEND_SRC, GL_SRC_ALPHA}, {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA}},
                {{GL_DEPTH_TEST, true}, {GL_TEXTURE_2D, true}, {GL_BLEND, false}, {GL_LIGHTING, true}});
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), identity);
    expectUnitSquareProjection();
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL}) glDisable(cap);
}

TEST_F(Drawing, ZoomBlurInsetsTheTextureRectangleByTheFrameTimeAndWorksWithoutMultitexturing) {
    // blurTexture sampled nearest: red is the column, green the row, blue 255.
    std::vector<unsigned char> texels;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) texels.insert(texels.end(), {uint8_t(x), uint8_t(y), 255});
    if (blurTexture == 0) glGenTextures(1, &blurTexture);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glActiveTextureARB(GL_TEXTURE1_ARB);

    // 20 ms: the rectangle from 0.04 to 0.96 fills the viewport at 99 percent; the centre stays put.
    const auto zoomed = drawn([] { drawZoomBlur(20.0f, 1.0f); });
    for (auto [x, y, channel, value] : {std::tuple{0, 128, 0, 0.04 * side}, {side - 1, 128, 0, 0.96 * side},
                                        {128, 0, 1, 0.04 * side}, {128, side - 1, 1, 0.96 * side},
                                        {128, 128, 0, 128.0}})
        EXPECT_NEAR(at(zoomed, x, y, channel), 0.99 * value, 2) << x << ", " << y;
    // The plain blur: unzoomed at 90 percent, added onto a grey frame (blue adds up to white).
    const auto added = drawn(drawBlurTexture, 0.5f);
    EXPECT_EQ(at(added, 10, 10, 2), 255);
    EXPECT_NEAR(at(added, 10, 10), 128 + 0.9 * 10, 2);
    // The state left for the scenes, and the caller's viewport.
    expectState({{GL_ACTIVE_TEXTURE_ARB, GL_TEXTURE0_ARB}, {GL_TEXTURE_BINDING_2D, static_cast<GLint>(blurTexture)},
                 {GL_BLEND_SRC, GL_SRC_ALPHA}, {GL_BLEND_DST, GL_ONE}, {GL_MATRIX_MODE, GL_MODELVIEW}},
                {{GL_TEXTURE_2D, true}, {GL_DEPTH_TEST, true}, {GL_BLEND, false}});
    glViewport(0, 0, 128, 128);
    drawZoomBlur(10.0f, 1.0f);
    EXPECT_EQ(integers(GL_VIEWPORT)[2], 128);

    // Without the multitexture pair (the start-up's test shows the message and the quit) the blur drawn
    // before the demo quits is the same picture, with no null pointer called.
    hideGlExtensionForTest("GL_ARB_multitexture");
    EXPECT_FALSE(resolveMultitextureEntryPoints(lookupGlEntryPoint));
    ASSERT_EQ(glMultiTexCoord2fARB, nullptr);
    EXPECT_TRUE(drawn([] { drawZoomBlur(20.0f, 1.0f); }) == zoomed);
    hideGlExtensionForTest(nullptr);
    EXPECT_TRUE(resolveMultitextureEntryPoints(lookupGlEntryPoint));
}

TEST_F(Drawing, PerspectiveSetsTheFullViewportAndDepthRangeAndOrthoTheUnitSquare) {
    const int savedWidth = screenWidth, savedHeight = screenHeight;
    for (const auto& [width, height] : {std::pair{200, 150}, std::pair{640, 0}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        screenWidth = width;
        screenHeight = height;
        glTranslatef(5, 5, 5);
        setPerspectiveView(0);
        EXPECT_EQ(integers(GL_VIEWPORT), std::vector<GLint>({0, 0, width, height}));
        EXPECT_EQ(integers(GL_MATRIX_MODE)[0], GL_MODELVIEW);
        EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), identity);
        // 45 degrees up is the top edge at every size (a minimised window's height of 0 included, which
        // must not reach a division); depth runs from 0.1 to 120000 units.
        EXPECT_NEAR(projected(0, 1000, -1000)[1], 1.0, 1e-5);
        EXPECT_NEAR(projected(0, 0, -0.1)[2], -1.0, 1e-4);
        EXPECT_NEAR(projected(0, 0, -120000)[2], 1.0, 1e-4);
    }
    glViewport(3, 4, 20, 10);
    setPerspectiveView(1);
    setOrthoView(1);
    EXPECT_EQ(integers(GL_VIEWPORT), std::vector<GLint>({3, 4, 20, 10}));
    expectUnitSquareProjection();
    setOrthoView(0);
    EXPECT_EQ(integers(GL_VIEWPORT), std::vector<GLint>({0, 0, 640, 0}));
    EXPECT_EQ(integers(GL_MATRIX_MODE)[0], GL_MODELVIEW);
    screenWidth = savedWidth;
    screenHeight = savedHeight;
}

namespace {
// Width over height in pixels of a white sphere drawn 1000 units ahead with the demo's perspective at
// the screen size, read back from the frame.
double drawnSphereShape(int width, int height) {
    screenWidth = width;
    screenHeight = height;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setPerspectiveView(0);
    glTranslatef(0, 0, -1000);
    glColor3f(1, 1, 1);
    GLUquadric* sphere = gluNewQuadric();
    gluSphere(sphere, 300, 96, 48);
    gluDeleteQuadric(sphere);
    glFinish();
    std::vector<unsigned char> frame(static_cast<size_t>(width) * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RED, GL_UNSIGNED_BYTE, frame.data());
    int left = width, right = -1, bottom = height, top = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (frame[static_cast<size_t>(y) * width + x] > 127) {
                left = std::min(left, x), right = std::max(right, x);
                bottom = std::min(bottom, y), top = std::max(top, y);
            }
    return top < bottom ? 0.0 : double(right - left + 1) / double(top - bottom + 1);
}
}  // namespace

// A sphere on the axis of view is a circle on the screen when the perspective has the picture's true
// shape; the original look stretches it by the true ratio over its integer part. One process with a
// window of the largest size: the shared offscreen window does not come back reliably from a resize.
TEST(Projection, SpheresAreRoundAtEverySizeAndAsWideAsTheIntegerRatioMakesThemInTheOriginalLook) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto child = [] {
        if (!makeGlTestContext(1280, 1024)) std::exit(100);
        for (GLenum cap : {GL_LIGHTING, GL_DEPTH_TEST, GL_BLEND, GL_TEXTURE_2D, GL_FOG}) glDisable(cap);
        glReadBuffer(GL_FRONT);   // the offscreen context is single-buffered
        bool good = true;
        for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{1280, 1024}, std::pair{1280, 720}}) {
            for (bool original : {false, true}) {
                originalAspect = original;
                const double shape = drawnSphereShape(width, height);
                const double expected = original ? double(width) / height / double(width / height) : 1.0;
                const bool within = std::abs(shape / expected - 1.0) < 0.02;
                std::fprintf(stderr, "%d x %d, %s look: width / height %.4f, expected %.4f%s\n", width, height,
                             original ? "original" : "true", shape, expected, within ? "" : " FAILED");
                good = good && within;
            }
        }
        std::exit(good ? 0 : 1);
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "");
}
