// Model::draw on a real context: the texture-unit, binding, colour and coordinate state it leaves,
// the pixels it draws, and how it treats objects that break the model's limits.
#include <gtest/gtest.h>

#include <vector>

#include "image/gl_api.h"
#include "image/gl_entry_points.h"
#include "image/texture.h"
#include "model/model.h"
#include "model/normals.h"
#include "support/gl_test_context.h"

namespace {
Image* makeTexture(unsigned char r, unsigned char g, unsigned char b) {
    Image* image = new Image;
    glGenTextures(1, &image->texture);
    glBindTexture(GL_TEXTURE_2D, image->texture);
    const unsigned char texel[3] = {r, g, b};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return image;
}

// Two triangles over the whole clip square, with coordinates 0..1 at the corners.
Object3ds square(const char* name, bool textured, int materialIndex) {
    Object3ds object;
    std::snprintf(object.name, sizeof object.name, "%s", name);
    object.vertices = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    object.vertexCount = 4;
    object.faces = {{{0, 1, 2}}, {{0, 2, 3}}};
    object.faceCount = 2;
    object.texVertices = {{0.0f, 0.0f}, {0.25f, 0.0f}, {0.25f, 0.5f}, {0.0f, 0.75f}};
    object.texVertexCount = 4;
    object.hasTexture = textured;
    object.materialIndex = materialIndex;
    computeObjectNormals(object);
    return object;
}

Material3ds material(const char* name, unsigned char r, unsigned char g, unsigned char b, const char* file) {
    Material3ds m{};
    std::snprintf(m.name, sizeof m.name, "%s", name);
    std::snprintf(m.textureFile, sizeof m.textureFile, "%s", file);
    m.color[0] = r;
    m.color[1] = g;
    m.color[2] = b;
    return m;
}

void addObject(Model& model, Object3ds object) {
    model.data.objects.push_back(std::move(object));
    model.data.objectCount = static_cast<int>(model.data.objects.size());
}
void addMaterial(Model& model, Material3ds m) {
    model.data.materials.push_back(m);
    model.data.materialCount = static_cast<int>(model.data.materials.size());
}

// Materials: 0 "skin" textured (slot 0), 1 "paint" untextured with colour (10, 200, 30).
void fillSingleModel(Model& model) {
    addMaterial(model, material("skin", 1, 2, 3, "skin.jpg"));
    addMaterial(model, material("paint", 10, 200, 30, ""));
    model.textures[0] = makeTexture(200, 100, 50);
}
void makeDetail(Model& model) {
    model.detailMode = 1;
    model.textures[detailTextureSlot] = makeTexture(128, 128, 128);
    Object3ds coords;
    coords.texVertices = {{10, 11}, {12, 13}, {14, 15}, {16, 17}};
    coords.texVertexCount = 4;
    model.detailCoords.objects.push_back(coords);
    model.detailCoords.objectCount = 1;
}

GLint activeUnit() {
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
    return unit;
}
struct UnitState {
    bool enabled;
    GLint binding;
    GLfloat coord[4];
};
// Reads a unit's state and puts the active unit back as it was.
UnitState unitState(GLenum unit) {
    const GLint was = activeUnit();
    glActiveTextureARB(unit);
    UnitState state{};
    state.enabled = glIsEnabled(GL_TEXTURE_2D);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &state.binding);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, state.coord);
    glActiveTextureARB(static_cast<GLenum>(was));
    return state;
}
void expectColor(float r, float g, float b) {
    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_NEAR(color[0], r, 1e-3f);
    EXPECT_NEAR(color[1], g, 1e-3f);
    EXPECT_NEAR(color[2], b, 1e-3f);
}

// Triangles that reached the rasteriser, counted through the feedback buffer.
int countTriangles(const Model& model) {
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    model.draw();
    const GLint used = glRenderMode(GL_RENDER);
    int triangles = 0;
    for (GLint i = 0; i < used;) {
        const GLint token = static_cast<GLint>(buffer[i]);
        if (token == GL_POLYGON_TOKEN) {
            const GLint corners = static_cast<GLint>(buffer[i + 1]);
            ++triangles;
            i += 2 + corners * 3;
        } else {
            ++i;
        }
    }
    return triangles;
}

class ModelDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(64, 64));
        ASSERT_TRUE(resolveMultitextureEntryPoints());
        glViewport(0, 0, 64, 64);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        for (GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
            glActiveTextureARB(unit);
            glDisable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, 0);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
            glMultiTexCoord2fARB(unit, 0.0f, 0.0f);
        }
        glColor3f(1, 1, 1);
    }
    void TearDown() override {
        model.release();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    Model model;
};
}  // namespace

TEST_F(ModelDrawTest, SingleModeTexturedThenUntexturedLeavesUnitOneActive) {
    fillSingleModel(model);
    addObject(model, square("hull", true, 0));
    glColor3f(0.5f, 0.25f, 0.75f);
    model.draw();
    // A textured object alone: unit 1 active and off, unit 0 on with its texture, the colour untouched.
    EXPECT_EQ(activeUnit(), GL_TEXTURE1_ARB);
    EXPECT_FALSE(unitState(GL_TEXTURE1_ARB).enabled);
    UnitState unit0 = unitState(GL_TEXTURE0_ARB);
    EXPECT_TRUE(unit0.enabled);
    EXPECT_EQ(unit0.binding, static_cast<GLint>(model.textures[0]->texture));
    EXPECT_FLOAT_EQ(unit0.coord[0], 0.0f);   // the last corner is vertex 3: (0, 0.75)
    EXPECT_FLOAT_EQ(unit0.coord[1], 0.75f);
    expectColor(0.5f, 0.25f, 0.75f);

    // Followed by an untextured object: its disable hits unit 1, unit 0 keeps its texture on.
    addObject(model, square("panel", false, 1));
    model.draw();
    EXPECT_EQ(activeUnit(), GL_TEXTURE1_ARB);
    EXPECT_FALSE(unitState(GL_TEXTURE1_ARB).enabled);
    unit0 = unitState(GL_TEXTURE0_ARB);
    EXPECT_TRUE(unit0.enabled);
    EXPECT_EQ(unit0.binding, static_cast<GLint>(model.textures[0]->texture));
    expectColor(10 / 255.0f, 200 / 255.0f, 30 / 255.0f);
}

TEST_F(ModelDrawTest, DetailModeTexturedThenUntexturedLeavesUnitZeroActive) {
    fillSingleModel(model);
    makeDetail(model);
    addObject(model, square("ground", true, 0));
    glColor3f(0.5f, 0.25f, 0.75f);
    model.draw();
    EXPECT_EQ(activeUnit(), GL_TEXTURE0_ARB);
    UnitState unit0 = unitState(GL_TEXTURE0_ARB);
    UnitState unit1 = unitState(GL_TEXTURE1_ARB);
    EXPECT_TRUE(unit0.enabled);
    EXPECT_TRUE(unit1.enabled);
    EXPECT_EQ(unit0.binding, static_cast<GLint>(model.textures[0]->texture));
    EXPECT_EQ(unit1.binding, static_cast<GLint>(model.textures[detailTextureSlot]->texture));
    // Both coordinate pairs of the last corner (vertex 3): its own, and the detail set's at the same index.
    EXPECT_FLOAT_EQ(unit0.coord[1], 0.75f);
    EXPECT_FLOAT_EQ(unit1.coord[0], 16.0f);
    EXPECT_FLOAT_EQ(unit1.coord[1], 17.0f);
    expectColor(1, 1, 1);

    // The untextured object's disable hits unit 0; unit 1 keeps the detail texture at its last coordinate.
    Object3ds panel = square("panel", false, 1);
    panel.texVertices.clear();
    panel.texVertexCount = 0;
    addObject(model, panel);
    model.draw();
    EXPECT_EQ(activeUnit(), GL_TEXTURE0_ARB);
    unit0 = unitState(GL_TEXTURE0_ARB);
    unit1 = unitState(GL_TEXTURE1_ARB);
    EXPECT_FALSE(unit0.enabled);
    EXPECT_TRUE(unit1.enabled);
    EXPECT_EQ(unit1.binding, static_cast<GLint>(model.textures[detailTextureSlot]->texture));
    EXPECT_FLOAT_EQ(unit1.coord[0], 16.0f);
    expectColor(10 / 255.0f, 200 / 255.0f, 30 / 255.0f);
}

TEST_F(ModelDrawTest, UntexturedColoursComeFromTheMaterialOrStayWhite) {
    // No material group: material 0's colour when the model has materials.
    addMaterial(model, material("paint", 40, 50, 60, ""));
    addObject(model, square("a", false, 0));
    glColor3f(0.1f, 0.1f, 0.1f);
    model.draw();
    expectColor(40 / 255.0f, 50 / 255.0f, 60 / 255.0f);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    // A group that named no material: white.
    model.data.objects[0].materialIndex = -1;
    glColor3f(0.1f, 0.1f, 0.1f);
    model.draw();
    expectColor(1, 1, 1);

    // No materials at all: white.
    Model bare;
    addObject(bare, square("b", false, 0));
    glColor3f(0.1f, 0.1f, 0.1f);
    bare.draw();
    expectColor(1, 1, 1);
}

TEST_F(ModelDrawTest, EmptyModelMakesNoCallAndLeavesTheStateAlone) {
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glColor3f(0.2f, 0.3f, 0.4f);
    model.draw();
    EXPECT_EQ(activeUnit(), GL_TEXTURE1_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    expectColor(0.2f, 0.3f, 0.4f);
    EXPECT_EQ(countTriangles(model), 0);
    glDisable(GL_TEXTURE_2D);
}

TEST_F(ModelDrawTest, DrawsTheTextureModulatedByColourAndDetail) {
    fillSingleModel(model);
    addObject(model, square("hull", true, 0));
    glColor3f(1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    model.draw();
    glFinish();
    unsigned char pixel[4] = {};
    glReadBuffer(GL_FRONT);
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_NEAR(pixel[0], 200, 2);
    EXPECT_NEAR(pixel[1], 100, 2);
    EXPECT_NEAR(pixel[2], 50, 2);

    // Half the colour halves the picture: fades rely on the colour reaching the texture.
    glColor3f(0.5f, 0.5f, 0.5f);
    model.draw();
    glFinish();
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_NEAR(pixel[0], 100, 2);

    // The detail texture multiplies the material texture (grey 128: about half).
    makeDetail(model);
    model.draw();
    glFinish();
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_NEAR(pixel[0], 100, 3);
    EXPECT_NEAR(pixel[1], 50, 3);
    EXPECT_EQ(countTriangles(model), 2);
}

TEST_F(ModelDrawTest, ObjectsBreakingTheLimitsAreDrawnWithoutReadingOutsideATable) {
    fillSingleModel(model);
    // Texture flags with no texture behind them: a material index of -1, one past the slots, and a
    // material whose slot is empty are all drawn untextured.
    Object3ds lost = square("lost", true, -1);
    Object3ds far = square("far", true, 150);
    Object3ds empty = square("empty", true, 1);
    for (Object3ds* object : {&lost, &far, &empty}) {
        Model one;
        one.data.materials = model.data.materials;
        one.data.materialCount = model.data.materialCount;
        addObject(one, *object);
        glActiveTextureARB(GL_TEXTURE0_ARB);
        glEnable(GL_TEXTURE_2D);
        one.draw();
        EXPECT_EQ(activeUnit(), GL_TEXTURE0_ARB) << object->name;
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << object->name;
        EXPECT_EQ(countTriangles(one), 2) << object->name;
    }
    expectColor(10 / 255.0f, 200 / 255.0f, 30 / 255.0f);   // "empty" used material 1's colour

    // Coordinates shorter than the vertices: corners past the end send none, so the last coordinate
    // in force is that of the last corner that had one.
    Object3ds shortCoords = square("short", true, 0);
    shortCoords.texVertices.resize(3);
    shortCoords.texVertexCount = 3;
    addObject(model, shortCoords);
    model.draw();
    EXPECT_FLOAT_EQ(unitState(GL_TEXTURE0_ARB).coord[1], 0.5f);   // vertex 2 of the face (0, 2, 3)

    // A detail set shorter than the model's vertices: the last corner (vertex 3) sends its own pair but
    // no detail pair, so unit 1 keeps vertex 2's. Then no detail set at all.
    model.data.objects[0].texVertices = square("full", true, 0).texVertices;
    model.data.objects[0].texVertexCount = 4;
    makeDetail(model);
    model.detailCoords.objects[0].texVertices.resize(3);
    model.detailCoords.objects[0].texVertexCount = 3;
    model.draw();
    EXPECT_FLOAT_EQ(unitState(GL_TEXTURE0_ARB).coord[1], 0.75f);
    EXPECT_FLOAT_EQ(unitState(GL_TEXTURE1_ARB).coord[0], 14.0f);
    model.detailCoords.clear();
    model.draw();
    EXPECT_EQ(countTriangles(model), 2);

    // Faces with a vertex index at or past the vertex count are not drawn.
    Model holes;
    Object3ds broken = square("broken", false, 0);
    broken.faces.push_back({{0, 2, 4}});
    broken.faces.push_back({{65535, 1, 2}});
    broken.faceCount = 4;
    addObject(holes, broken);
    EXPECT_EQ(countTriangles(holes), 2);
}

TEST_F(ModelDrawTest, MissingMultitextureEntryPointsAreNeverCalled) {
    fillSingleModel(model);
    makeDetail(model);
    addObject(model, square("ground", true, 0));
    const auto activeTexture = glEntry::glActiveTextureARB;
    const auto multiTexCoord = glEntry::glMultiTexCoord2fARB;

    // Without the coordinate entry point the detail is left out; unit selection still works.
    glEntry::glMultiTexCoord2fARB = nullptr;
    model.draw();
    glEntry::glMultiTexCoord2fARB = multiTexCoord;
    EXPECT_EQ(activeUnit(), GL_TEXTURE1_ARB);   // the single-mode path
    EXPECT_FALSE(unitState(GL_TEXTURE1_ARB).enabled);
    UnitState unit0 = unitState(GL_TEXTURE0_ARB);
    EXPECT_TRUE(unit0.enabled);
    EXPECT_FLOAT_EQ(unit0.coord[1], 0.75f);     // sent with glTexCoord2f

    // Without either: the texture goes on the unit that is active, and nothing selects a unit.
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    glEntry::glActiveTextureARB = nullptr;
    glEntry::glMultiTexCoord2fARB = nullptr;
    model.draw();
    EXPECT_EQ(countTriangles(model), 2);
    glEntry::glActiveTextureARB = activeTexture;
    glEntry::glMultiTexCoord2fARB = multiTexCoord;
    EXPECT_EQ(activeUnit(), GL_TEXTURE0_ARB);
    unit0 = unitState(GL_TEXTURE0_ARB);
    EXPECT_TRUE(unit0.enabled);
    EXPECT_EQ(unit0.binding, static_cast<GLint>(model.textures[0]->texture));
    EXPECT_FALSE(unitState(GL_TEXTURE1_ARB).enabled);
}
