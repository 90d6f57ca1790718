// Model on a real context: material textures in their materials' slots, the detail set from its fixed
// file, release, and the texture-unit, binding, colour and coordinate state draw leaves for the scenes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

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
Image* solidTexture(GLubyte r, GLubyte g, GLubyte b) {
    Image* image = new Image;
    glGenTextures(1, &image->texture);
    glBindTexture(GL_TEXTURE_2D, image->texture);
    const GLubyte texel[4] = {r, g, b, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return image;
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
void addMaterial(Model& model, GLubyte r, GLubyte g, GLubyte b) {
    model.data.materials.push_back(Material3ds{"m", "", {r, g, b}});
    model.data.materialCount = static_cast<int>(model.data.materials.size());
}
// Material 0 textured in slot 0 (texel 200, 100, 50), material 1 untextured in (10, 200, 30).
void fill(Model& model) {
    addMaterial(model, 1, 2, 3);
    addMaterial(model, 10, 200, 30);
    model.textures[0] = solidTexture(200, 100, 50);
}
// The detail texture (grey 128) and a coordinate set of 4 with (16, 17) last.
void addDetail(Model& model) {
    model.detailMode = 1;
    model.textures[detailTextureSlot] = solidTexture(128, 128, 128);
    Object3ds coords;
    coords.texVertices = {{10, 11}, {12, 13}, {14, 15}, {16, 17}};
    coords.texVertexCount = 4;
    model.detailCoords.objects = {coords};
    model.detailCoords.objectCount = 1;
}

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}
GLint name(const Image* image) { return static_cast<GLint>(image->texture); }
// The active unit, then for units 0 and 1 whether texturing is on and the texture bound.
std::vector<GLint> units() {
    std::vector<GLint> state = {integer(GL_ACTIVE_TEXTURE_ARB)};
    for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB}) {
        glActiveTexture(unit);
        state.insert(state.end(), {glIsEnabled(GL_TEXTURE_2D), integer(GL_TEXTURE_BINDING_2D)});
    }
    glActiveTexture(static_cast<GLenum>(state[0]));
    return state;
}
std::vector<GLfloat> coords(GLenum unit) {
    const GLint active = integer(GL_ACTIVE_TEXTURE_ARB);
    glActiveTexture(unit);
    std::vector<GLfloat> st(4);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, st.data());
    glActiveTexture(static_cast<GLenum>(active));
    return {st[0], st[1]};
}
std::vector<long> colour() {
    GLfloat rgba[4];
    glGetFloatv(GL_CURRENT_COLOR, rgba);
    return {std::lround(rgba[0] * 255), std::lround(rgba[1] * 255), std::lround(rgba[2] * 255)};
}
size_t triangles(const Model& model) { return captureFeedbackPolygons([&] { model.draw(); }).size(); }

// Each test runs in its own folder holding data/3ds and data/textury, as the demo's working folder.
class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(64, 64));
        ASSERT_TRUE(resolveMultitextureEntryPoints());
        fs::create_directories(folder / "data/3ds");
        fs::create_directories(folder / "data/textury");
        fs::current_path(folder);
        recordMessageBoxes();
        glViewport(0, 0, 64, 64);
        for (GLenum matrix : {GL_PROJECTION, GL_MODELVIEW}) {
            glMatrixMode(matrix);
            glLoadIdentity();
        }
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        for (GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
            glActiveTextureARB(unit);
            glDisable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, 0);
            glMultiTexCoord2fARB(unit, 0.0f, 0.0f);
        }
        glColor3f(1, 1, 1);
    }
    void TearDown() override {
        model.release();
        restoreMessageBoxes();
        fs::current_path(previous);
        fs::remove_all(folder);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    // Red at the centre of the frame model draws over black.
    int drawnRed() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        model.draw();
        glFinish();
        GLubyte pixel[4] = {};
        glReadBuffer(GL_FRONT);
        glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        return pixel[0];
    }
    const fs::path previous = fs::current_path();
    const fs::path folder = fs::temp_directory_path() / ("model-" + std::to_string(getpid()) + "-" +
                                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Model model;
};
}  // namespace

TEST_F(ModelTest, SingleModeLeavesUnitOneActiveSoAnUntexturedObjectDisablesUnitOne) {
    fill(model);
    add(model, square(true, 0));
    glColor3f(0.5f, 0.25f, 0.75f);
    model.draw();
    // A textured object alone: unit 1 active and off, unit 0 on with its texture, the colour untouched.
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE1_ARB, 1, name(model.textures[0]), 0, 0}));
    EXPECT_EQ(coords(GL_TEXTURE0_ARB), (std::vector<GLfloat>{0, 0.75f}));
    EXPECT_EQ(colour(), (std::vector<long>{128, 64, 191}));
    EXPECT_NEAR(drawnRed(), 100, 2);   // the caller's colour modulates the texture: fades rely on it
    add(model, square(false, 1));
    model.draw();
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE1_ARB, 1, name(model.textures[0]), 0, 0}));
    EXPECT_EQ(colour(), (std::vector<long>{10, 200, 30}));
}

TEST_F(ModelTest, DetailModeLeavesUnitZeroActiveSoAnUntexturedObjectDisablesUnitZero) {
    fill(model);
    addDetail(model);
    add(model, square(true, 0));
    glColor3f(0.5f, 0.25f, 0.75f);
    model.draw();
    const GLint skin = name(model.textures[0]), detail = name(model.textures[detailTextureSlot]);
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE0_ARB, 1, skin, 1, detail}));
    // Both coordinate pairs of the last corner: its own, and the detail set's at the same index.
    EXPECT_EQ(coords(GL_TEXTURE0_ARB), (std::vector<GLfloat>{0, 0.75f}));
    EXPECT_EQ(coords(GL_TEXTURE1_ARB), (std::vector<GLfloat>{16, 17}));
    EXPECT_EQ(colour(), (std::vector<long>{255, 255, 255}));
    EXPECT_NEAR(drawnRed(), 100, 3);   // the detail texture (grey 128) multiplies the material texture

    Object3ds panel = square(false, 1);
    panel.texVertices.clear();
    panel.texVertexCount = 0;
    add(model, panel);
    model.draw();
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE0_ARB, 0, skin, 1, detail}));
    EXPECT_EQ(coords(GL_TEXTURE1_ARB), (std::vector<GLfloat>{16, 17}));
    EXPECT_EQ(colour(), (std::vector<long>{10, 200, 30}));
}

TEST_F(ModelTest, UntexturedObjectsTakeTheirMaterialColourOrWhiteAndAnEmptyModelMakesNoCall) {
    addMaterial(model, 40, 50, 60);
    add(model, square(false, 0));   // no material group: material 0
    glColor3f(0.1f, 0.1f, 0.1f);
    model.draw();
    EXPECT_EQ(colour(), (std::vector<long>{40, 50, 60}));
    model.data.objects[0].materialIndex = -1;   // a group that named no material
    model.draw();
    EXPECT_EQ(colour(), (std::vector<long>{255, 255, 255}));
    Model bare;   // no materials at all
    add(bare, square(false, 0));
    glColor3f(0.1f, 0.1f, 0.1f);
    bare.draw();
    EXPECT_EQ(colour(), (std::vector<long>{255, 255, 255}));

    Model empty;
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glColor3f(0.2f, 0.4f, 0.6f);
    empty.draw();
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE1_ARB, 0, 0, 1, 0}));
    EXPECT_EQ(colour(), (std::vector<long>{51, 102, 153}));
    EXPECT_EQ(triangles(empty), 0u);
    glDisable(GL_TEXTURE_2D);
}

TEST_F(ModelTest, ObjectsBreakingTheLimitsAreDrawnWithoutReadingOutsideATable) {
    fill(model);
    // Texture flags with no texture behind them (material -1, one past the slots, a material whose slot is
    // empty) are drawn untextured.
    for (int material : {-1, 150, 1}) {
        Model one;
        one.data.materials = model.data.materials;
        one.data.materialCount = 2;
        add(one, square(true, material));
        glActiveTextureARB(GL_TEXTURE0_ARB);
        glEnable(GL_TEXTURE_2D);
        one.draw();
        EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE0_ARB, 0, 0, 0, 0})) << material;
        EXPECT_EQ(triangles(one), 2u) << material;
    }
    // Coordinates shorter than the vertices: the last corner sends none, so vertex 2's stays in force.
    add(model, square(true, 0));
    model.data.objects[0].texVertices.resize(3);
    model.draw();
    EXPECT_EQ(coords(GL_TEXTURE0_ARB), (std::vector<GLfloat>{0.25f, 0.5f}));
    // A detail set shorter than the vertices: the last corner sends its own pair but no detail pair.
    model.data.objects[0].texVertices = square(true, 0).texVertices;
    addDetail(model);
    model.detailCoords.objects[0].texVertices.resize(3);
    model.draw();
    EXPECT_EQ(coords(GL_TEXTURE0_ARB), (std::vector<GLfloat>{0, 0.75f}));
    EXPECT_EQ(coords(GL_TEXTURE1_ARB), (std::vector<GLfloat>{14, 15}));
    model.detailCoords.clear();   // then no detail set at all
    EXPECT_EQ(triangles(model), 2u);
    // Faces with a vertex index at or past the vertex count are not drawn.
    model.data.objects[0].faces.push_back({{0, 2, 4}});
    model.data.objects[0].faces.push_back({{65535, 1, 2}});
    model.data.objects[0].faceCount = 4;
    EXPECT_EQ(triangles(model), 2u);
}

TEST_F(ModelTest, MissingMultitextureEntryPointsAreNeverCalled) {
    fill(model);
    addDetail(model);
    add(model, square(true, 0));
    const auto activeTexture = glEntry::glActiveTextureARB;
    const auto multiTexCoord = glEntry::glMultiTexCoord2fARB;
    // Without the coordinate entry point the detail is left out: drawn as in single mode.
    glEntry::glMultiTexCoord2fARB = nullptr;
    model.draw();
    glEntry::glMultiTexCoord2fARB = multiTexCoord;
    const GLint skin = name(model.textures[0]);
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE1_ARB, 1, skin, 0, 0}));
    EXPECT_EQ(coords(GL_TEXTURE0_ARB), (std::vector<GLfloat>{0, 0.75f}));   // sent with glTexCoord2f
    // Without either: the texture goes on the unit that is active, and nothing selects a unit.
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    glEntry::glActiveTextureARB = nullptr;
    glEntry::glMultiTexCoord2fARB = nullptr;
    const size_t drawn = triangles(model);
    glEntry::glActiveTextureARB = activeTexture;
    glEntry::glMultiTexCoord2fARB = multiTexCoord;
    EXPECT_EQ(drawn, 2u);
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE0_ARB, 1, skin, 0, 0}));
}

TEST_F(ModelTest, LoadGivesMaterialIThSlotIAndReleaseFreesEverySlot) {
    writeBytes("data/textury/skin.tga", tgaFile(2, 2, 24, Bytes(12, 9)));
    auto quad = [](const std::string& name, const std::string& material, float v) {
        return namedObjectChunk(name, {triangleMeshChunk({vertexListChunk({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}),
                                                          faceListChunk({{0, 1, 2}}, {materialGroupChunk(material, {0})}),
                                                          mappingCoordsChunk({{0, 0}, {1, 0}, {1, v}})})});
    };
    std::vector<TestChunk> chunks = {
        materialChunk({materialNameChunk("paint"), diffuseChunk(1, 2, 3)}),
        materialChunk({materialNameChunk("skin"), textureMapChunk("skin.tga")}),
        materialChunk({materialNameChunk("bare"), diffuseChunk(7, 8, 9)}),
        materialChunk({materialNameChunk("gone"), textureMapChunk("missing.jpg")}),
        quad("hull", "skin", 1), quad("fin", "paint", 1)};
    writeBytes("data/3ds/ship.3ds", encodeChunk(primaryChunk({meshDataChunk(chunks)})));
    model.load("data/3ds/ship.3ds", nullptr);
    EXPECT_TRUE(recordedMessages().empty());
    ASSERT_EQ(model.data.objectCount, 2);
    EXPECT_EQ(model.detailMode, 0);
    for (int slot : {0, 2, detailTextureSlot}) EXPECT_EQ(model.textures[slot], nullptr) << slot;   // not packed
    ASSERT_TRUE(model.textures[1] && model.textures[3]);
    EXPECT_NE(model.textures[1]->pixels, nullptr);
    EXPECT_EQ(model.textures[3]->pixels, nullptr);   // a missing image still gets its slot and texture name
    const GLuint skin = model.textures[1]->texture, gone = model.textures[3]->texture;
    EXPECT_TRUE(glIsTexture(skin));
    model.release();   // slot 3 lies beyond the object count (2): it is deleted all the same
    for (Image* slot : model.textures) EXPECT_EQ(slot, nullptr);
    EXPECT_FALSE(glIsTexture(skin) || glIsTexture(gone));
    EXPECT_EQ(model.data.objectCount, 0);

    // With a detail name the second coordinate set comes from its fixed file, even for a missing model.
    writeBytes("data/textury/detail2.tga", tgaFile(2, 2, 24, Bytes(12, 128)));
    writeBytes(detailCoordsPath, encodeChunk(primaryChunk({meshDataChunk({quad("detail", "", 8)})})));
    model.load("data/3ds/ship.3ds", "detail2.tga");
    EXPECT_EQ(model.detailMode, 1);
    ASSERT_NE(model.textures[detailTextureSlot], nullptr);
    EXPECT_NE(model.textures[detailTextureSlot]->pixels, nullptr);
    model.draw();   // the last corner of hull carries its own (1, 1) on unit 0 and the detail set's on unit 1
    EXPECT_EQ(coords(GL_TEXTURE0_ARB), (std::vector<GLfloat>{1, 1}));
    EXPECT_EQ(coords(GL_TEXTURE1_ARB), (std::vector<GLfloat>{1, 8}));
    model.load("data/3ds/none.3ds", "detail2.tga");
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0].text, "Unable to find the file: data/3ds/none.3ds!");
    EXPECT_EQ(model.data.objectCount, 0);
    EXPECT_EQ(model.detailCoords.objectCount, 1);
    EXPECT_NE(model.textures[detailTextureSlot], nullptr);
    model.release();
    EXPECT_EQ(model.textures[detailTextureSlot], nullptr);
    EXPECT_EQ(model.detailMode, 0);
    EXPECT_EQ(model.detailCoords.objectCount, 0);
}

TEST_F(ModelTest, MaterialsPastTheHundredthGetNoSlotAndDrawUntextured) {
    std::vector<TestChunk> chunks;
    for (int i = 0; i < 103; ++i)
        chunks.push_back(materialChunk({materialNameChunk("m" + std::to_string(i)), textureMapChunk("none.jpg")}));
    chunks.push_back(namedObjectChunk("last", {triangleMeshChunk({vertexListChunk({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}),
        faceListChunk({{0, 1, 2}}, {materialGroupChunk("m102", {0})}), mappingCoordsChunk({{0, 0}, {1, 0}, {1, 1}})})}));
    writeBytes("data/3ds/many.3ds", encodeChunk(primaryChunk({meshDataChunk(chunks)})));
    model.load("data/3ds/many.3ds", nullptr);
    ASSERT_EQ(model.data.materialCount, 103);
    for (int i = 0; i < modelMaterialSlots; ++i) EXPECT_NE(model.textures[i], nullptr) << i;
    EXPECT_EQ(model.textures[detailTextureSlot], nullptr);   // material 100 does not take the detail slot
    ASSERT_EQ(model.data.objects[0].materialIndex, 102);
    EXPECT_TRUE(model.data.objects[0].hasTexture);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    model.draw();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}
