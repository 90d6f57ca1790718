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
Image* solidTexture(GLubyte grey) {
    Image* image = new Image;
    glGenTextures(1, &image->texture);
    glBindTexture(GL_TEXTURE_2D, image->texture);
    const GLubyte texel[4] = {grey, GLubyte(grey / 2), GLubyte(grey / 4), 255};
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
// Material 0 textured in slot 0 (texel 200, 100, 50), material 1 untextured in (10, 200, 30).
void fill(Model& model) {
    model.data.materials = {Material3ds{"skin", "", {1, 2, 3}}, Material3ds{"paint", "", {10, 200, 30}}};
    model.data.materialCount = 2;
    model.textures[0] = solidTexture(200);
}
// The detail texture (128, 64, 32) and a coordinate set of 4 with (16, 17) last.
void addDetail(Model& model) {
    model.detailMode = 1;
    model.textures[detailTextureSlot] = solidTexture(128);
    model.detailCoords.objects.resize(1);
    model.detailCoords.objects[0].texVertices = {{10, 11}, {12, 13}, {14, 15}, {16, 17}};
    model.detailCoords.objects[0].texVertexCount = 4;
    model.detailCoords.objectCount = 1;
}

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}
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
// The current coordinates of both units (s0, t0, s1, t1).
std::vector<GLfloat> coords() {
    const GLint active = integer(GL_ACTIVE_TEXTURE_ARB);
    std::vector<GLfloat> st;
    for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB}) {
        GLfloat value[4];
        glActiveTexture(unit);
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, value);
        st.insert(st.end(), {value[0], value[1]});
    }
    glActiveTexture(static_cast<GLenum>(active));
    return st;
}
std::vector<long> colour() {
    GLfloat rgba[4];
    glGetFloatv(GL_CURRENT_COLOR, rgba);
    return {std::lround(rgba[0] * 255), std::lround(rgba[1] * 255), std::lround(rgba[2] * 255)};
}
size_t triangles(const Model& model) { return captureFeedbackPolygons([&] { model.draw(); }).size(); }
// Red at the centre of what the model draws over black.
int drawnRed(const Model& model) {
    glClear(GL_COLOR_BUFFER_BIT);
    model.draw();
    glFinish();
    GLubyte pixel[4] = {};
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return pixel[0];
}

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
        for (GLenum cap : {GL_LIGHTING, GL_DEPTH_TEST, GL_BLEND}) glDisable(cap);
        for (GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
            glActiveTexture(unit);
            glDisable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, 0);
            glMultiTexCoord2fARB(unit, 0.0f, 0.0f);
        }
        glClearColor(0, 0, 0, 1);
        glReadBuffer(GL_FRONT);
    }
    void TearDown() override {
        model.release();
        restoreMessageBoxes();
        fs::current_path(previous);
        fs::remove_all(folder);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    const fs::path previous = fs::current_path();
    const fs::path folder = fs::temp_directory_path() / ("model-" + std::to_string(getpid()));
    Model model;
};
}  // namespace

TEST_F(ModelTest, TexturedObjectsLeaveUnitOneActiveInSingleModeAndUnitZeroWithDetail) {
    fill(model);
    add(model, square(true, 0));
    const GLint skin = static_cast<GLint>(model.textures[0]->texture);
    // Single mode: unit 1 active and off, unit 0 on with the texture; the caller's colour is untouched and
    // modulates the texture, which fades rely on.
    glColor3f(0.5f, 0.25f, 0.75f);
    EXPECT_NEAR(drawnRed(model), 100, 2);
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE1_ARB, 1, skin, 0, 0}));
    EXPECT_EQ(coords(), (std::vector<GLfloat>{0, 0.75f, 0, 0}));
    EXPECT_EQ(colour(), (std::vector<long>{128, 64, 191}));
    // Detail mode: unit 0 active, both on; the last corner's own pair and the detail set's pair at the
    // same index; white, and the detail texture multiplies the material texture.
    addDetail(model);
    const GLint detail = static_cast<GLint>(model.textures[detailTextureSlot]->texture);
    EXPECT_NEAR(drawnRed(model), 100, 3);
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE0_ARB, 1, skin, 1, detail}));
    EXPECT_EQ(coords(), (std::vector<GLfloat>{0, 0.75f, 16, 17}));
    EXPECT_EQ(colour(), (std::vector<long>{255, 255, 255}));
    // So an untextured object after a textured one disables unit 0 with detail, and unit 1 without.
    Object3ds panel = square(false, 1);
    panel.texVertices.clear();
    add(model, panel);
    model.draw();
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE0_ARB, 0, skin, 1, detail}));
    EXPECT_EQ(coords(), (std::vector<GLfloat>{0, 0.75f, 16, 17}));
    EXPECT_EQ(colour(), (std::vector<long>{10, 200, 30}));
    model.detailMode = 0;
    model.draw();
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE1_ARB, 1, skin, 0, detail}));

    // Without the coordinate entry point the detail is left out, as in single mode.
    model.detailMode = 1;
    const auto activeTexture = glEntry::glActiveTextureARB;
    const auto multiTexCoord = glEntry::glMultiTexCoord2fARB;
    glEntry::glMultiTexCoord2fARB = nullptr;
    model.data.objectCount = 1;
    glEnable(GL_TEXTURE_2D);   // on unit 1: the single-mode path turns it off and leaves unit 1 active
    model.draw();
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE1_ARB, 1, skin, 0, detail}));
    // Without either: the texture goes on the unit that is active, and nothing selects a unit.
    glActiveTexture(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    glEntry::glActiveTextureARB = nullptr;
    const size_t drawn = triangles(model);
    glEntry::glActiveTextureARB = activeTexture;
    glEntry::glMultiTexCoord2fARB = multiTexCoord;
    EXPECT_EQ(drawn, 2u);
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE0_ARB, 1, skin, 0, detail}));
    EXPECT_EQ(coords(), (std::vector<GLfloat>{0, 0.75f, 16, 17}));   // sent with glTexCoord2f
}

TEST_F(ModelTest, UntexturedObjectsTakeTheirMaterialColourOrWhiteAndAnEmptyModelMakesNoCall) {
    const struct {
        int materials, materialIndex;   // the object names material 0 when it has no material group
        std::vector<long> colour;
    } cases[] = {{1, 0, {40, 50, 60}}, {1, -1, {255, 255, 255}}, {0, 0, {255, 255, 255}}};
    for (const auto& c : cases) {
        Model one;
        one.data.materials.assign(c.materials, Material3ds{"paint", "", {40, 50, 60}});
        one.data.materialCount = c.materials;
        add(one, square(false, c.materialIndex));
        glColor3f(0.1f, 0.1f, 0.1f);
        one.draw();
        EXPECT_EQ(colour(), c.colour) << c.materials << " " << c.materialIndex;
    }
    glActiveTexture(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glColor3f(0.2f, 0.4f, 0.6f);
    model.draw();
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE1_ARB, 0, 0, 1, 0}));
    EXPECT_EQ(colour(), (std::vector<long>{51, 102, 153}));
    EXPECT_EQ(triangles(model), 0u);
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
        glActiveTexture(GL_TEXTURE0_ARB);
        glEnable(GL_TEXTURE_2D);
        EXPECT_EQ(triangles(one), 2u) << material;
        EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE0_ARB, 0, 0, 0, 0})) << material;
    }
    // Coordinates shorter than the vertices: the last corner sends none, so vertex 2's stays in force.
    add(model, square(true, 0));
    model.data.objects[0].texVertices.resize(3);
    model.draw();
    EXPECT_EQ(coords(), (std::vector<GLfloat>{0.25f, 0.5f, 0, 0}));
    // A detail set shorter than the vertices: the last corner sends its own pair but no detail pair.
    model.data.objects[0].texVertices = square(true, 0).texVertices;
    addDetail(model);
    model.detailCoords.objects[0].texVertices.resize(3);
    model.draw();
    EXPECT_EQ(coords(), (std::vector<GLfloat>{0, 0.75f, 14, 15}));
    model.detailCoords.clear();   // then no detail set at all
    EXPECT_EQ(triangles(model), 2u);
    // Faces with a vertex index at or past the vertex count are not drawn.
    model.data.objects[0].faces.insert(model.data.objects[0].faces.end(), {{{0, 2, 4}}, {{65535, 1, 2}}});
    model.data.objects[0].faceCount = 4;
    EXPECT_EQ(triangles(model), 2u);
}

TEST_F(ModelTest, LoadGivesMaterialIThSlotIUpToTheHundredthAndReleaseFreesEverySlot) {
    const auto object = [](const std::string& name, const std::string& material, float v) {
        return namedObjectChunk(name, {triangleMeshChunk({vertexListChunk({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}),
                                                          faceListChunk({{0, 1, 2}}, {materialGroupChunk(material, {0})}),
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
    // Material 102 has no slot: its object, drawn last, is drawn untextured in its material's black.
    model.draw();
    EXPECT_EQ(units(), (std::vector<GLint>{GL_TEXTURE1_ARB, 1, static_cast<GLint>(skin), 0, 0}));
    EXPECT_EQ(colour(), (std::vector<long>{0, 0, 0}));
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
    EXPECT_EQ(coords(), (std::vector<GLfloat>{1, 1, 1, 8}));
    model.load("data/3ds/none.3ds", "detail2.tga");
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0].text, "Unable to find the file: data/3ds/none.3ds!");
    EXPECT_EQ(model.data.objectCount, 0);
    EXPECT_EQ(model.detailCoords.objectCount, 1);
    EXPECT_NE(model.textures[detailTextureSlot], nullptr);
    model.release();
    EXPECT_EQ(model.textures[detailTextureSlot], nullptr);
    EXPECT_EQ(model.detailMode + model.detailCoords.objectCount, 0);
}
