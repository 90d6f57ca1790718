// Model::load and Model::release with real files in a scratch working folder: material slots by
// material index, the detail set from its fixed file, the slot limit, and a release of every texture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "image/gl_api.h"
#include "image/gl_entry_points.h"
#include "image/texture.h"
#include "model/model.h"
#include "support/chunk_writer_3ds.h"
#include "support/gl_test_context.h"
#include "support/message_recorder.h"

namespace fs = std::filesystem;

namespace {
void writeFile(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// A 2 x 2 uncompressed 24-bit TGA of one colour (stored B, G, R).
Bytes solidTga(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    for (int i = 0; i < 4; ++i) tga.insert(tga.end(), {b, g, r});
    return tga;
}

TestChunk quadObject(const std::string& name, const std::string& materialName, float uScale) {
    const std::vector<Vector3> vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const std::vector<Vector2> coords = {{0, 0}, {uScale, 0}, {uScale, uScale}, {0, uScale}};
    std::vector<TestChunk> groups;
    if (!materialName.empty()) groups.push_back(materialGroupChunk(materialName, {0, 1}));
    return namedObjectChunk(name, {triangleMeshChunk({vertexListChunk(vertices),
                                                      faceListChunk({{0, 1, 2}, {0, 2, 3}}, groups),
                                                      mappingCoordsChunk(coords)})});
}

// Runs each test in its own folder holding data/3ds and data/textury, as the demo's working folder.
class ModelLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(64, 64));
        ASSERT_TRUE(resolveMultitextureEntryPoints());
        previous = fs::current_path();
        folder = fs::temp_directory_path() / ("model-load-" + std::to_string(getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
        fs::current_path(folder);
        recordMessageBoxes();
    }
    void TearDown() override {
        restoreMessageBoxes();
        fs::current_path(previous);
        fs::remove_all(folder);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    fs::path previous;
    fs::path folder;
};
}  // namespace

TEST_F(ModelLoadTest, MaterialTexturesTakeTheirMaterialsSlotsAndReleaseFreesThemAll) {
    writeFile("data/textury/skin.tga", solidTga(200, 100, 50));
    writeFile("data/3ds/ship.3ds", encodeChunk(primaryChunk({meshDataChunk({
        materialChunk({materialNameChunk("paint"), diffuseChunk(1, 2, 3)}),
        materialChunk({materialNameChunk("skin"), diffuseChunk(4, 5, 6), textureMapChunk("skin.tga")}),
        materialChunk({materialNameChunk("bare"), diffuseChunk(7, 8, 9)}),
        materialChunk({materialNameChunk("gone"), textureMapChunk("missing.jpg")}),
        quadObject("hull", "skin", 1), quadObject("fin", "paint", 1),
    })})));
    Model model;
    model.load("data/3ds/ship.3ds", nullptr);
    EXPECT_TRUE(recordedMessages().empty());
    ASSERT_EQ(model.data.objectCount, 2);
    EXPECT_EQ(model.detailMode, 0);
    EXPECT_EQ(model.textures[0], nullptr);   // slots are not packed
    ASSERT_NE(model.textures[1], nullptr);
    EXPECT_NE(model.textures[1]->pixels, nullptr);
    EXPECT_EQ(model.textures[2], nullptr);
    ASSERT_NE(model.textures[3], nullptr);   // a missing image still gets its slot and texture name
    EXPECT_EQ(model.textures[3]->pixels, nullptr);
    EXPECT_EQ(model.textures[detailTextureSlot], nullptr);
    const GLuint skin = model.textures[1]->texture;
    const GLuint gone = model.textures[3]->texture;
    EXPECT_TRUE(glIsTexture(skin));

    // Slot 3 lies beyond the object count (2): the release still deletes it.
    model.release();
    for (Image* slot : model.textures) EXPECT_EQ(slot, nullptr);
    EXPECT_FALSE(glIsTexture(skin));
    EXPECT_FALSE(glIsTexture(gone));
    EXPECT_EQ(model.data.objectCount, 0);
    EXPECT_TRUE(model.data.objects.empty());
}

TEST_F(ModelLoadTest, DetailNameReadsTheSecondCoordinateSetFromItsFixedFile) {
    writeFile("data/textury/ground.tga", solidTga(90, 160, 60));
    writeFile("data/textury/detail2.tga", solidTga(128, 128, 128));
    writeFile("data/3ds/teren.3ds", encodeChunk(primaryChunk({meshDataChunk({
        materialChunk({materialNameChunk("ground"), textureMapChunk("ground.tga")}), quadObject("tile", "ground", 1)})})));
    writeFile(detailCoordsPath, encodeChunk(primaryChunk({meshDataChunk({quadObject("detail", "", 8)})})));
    Model terrain;
    terrain.load("data/3ds/teren.3ds", "detail2.tga");
    EXPECT_TRUE(recordedMessages().empty());
    EXPECT_EQ(terrain.detailMode, 1);
    ASSERT_NE(terrain.textures[0], nullptr);
    ASSERT_NE(terrain.textures[detailTextureSlot], nullptr);
    EXPECT_NE(terrain.textures[detailTextureSlot]->pixels, nullptr);
    ASSERT_EQ(terrain.detailCoords.objectCount, 1);
    ASSERT_EQ(terrain.detailCoords.objects[0].texVertexCount, 4);
    EXPECT_EQ(terrain.detailCoords.objects[0].texVertices[2].u, 8.0f);

    // Drawn, the last corner (vertex 3) carries (0, 1) on unit 0 and (0, 8) on unit 1.
    terrain.draw();
    GLfloat coord[4];
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coord);
    EXPECT_EQ(coord[1], 8.0f);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coord);
    EXPECT_EQ(coord[1], 1.0f);
    terrain.release();
    EXPECT_EQ(terrain.textures[detailTextureSlot], nullptr);
    EXPECT_EQ(terrain.detailMode, 0);
    EXPECT_EQ(terrain.detailCoords.objectCount, 0);
}

TEST_F(ModelLoadTest, MissingModelFileLeavesAnEmptyModelThatStillLoadsItsDetailSet) {
    writeFile(detailCoordsPath, encodeChunk(primaryChunk({meshDataChunk({quadObject("detail", "", 8)})})));
    Model model;
    model.load("data/3ds/none.3ds", "detail2.jpg");
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0].text, "Unable to find the file: data/3ds/none.3ds!");
    EXPECT_EQ(model.data.objectCount, 0);
    EXPECT_EQ(model.detailMode, 1);
    EXPECT_EQ(model.detailCoords.objectCount, 1);
    EXPECT_NE(model.textures[detailTextureSlot], nullptr);

    // The empty model draws nothing and leaves the state as it was.
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glColor3f(0.25f, 0.5f, 0.75f);
    model.draw();
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
    EXPECT_EQ(unit, GL_TEXTURE1_ARB);
    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[0], 0.25f);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    model.release();
}

TEST_F(ModelLoadTest, MaterialsPastTheHundredthGetNoSlot) {
    std::vector<TestChunk> children;
    for (int i = 0; i < 103; ++i)
        children.push_back(materialChunk({materialNameChunk("m" + std::to_string(i)), textureMapChunk("none.jpg")}));
    children.push_back(quadObject("last", "m102", 1));
    writeFile("data/3ds/many.3ds", encodeChunk(primaryChunk({meshDataChunk(children)})));
    Model model;
    model.load("data/3ds/many.3ds", nullptr);
    ASSERT_EQ(model.data.materialCount, 103);
    for (int i = 0; i < modelMaterialSlots; ++i) EXPECT_NE(model.textures[i], nullptr) << i;
    EXPECT_EQ(model.textures[detailTextureSlot], nullptr);   // material 100 does not take the detail slot
    // The object's material (102) has no slot: it is drawn untextured, in its material's colour.
    ASSERT_EQ(model.data.objects[0].materialIndex, 102);
    EXPECT_TRUE(model.data.objects[0].hasTexture);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    model.draw();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    model.release();
}
