// The 3DS reader on files built chunk by chunk: byte bookkeeping, dispatch levels, materials, axes
// and the three message boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "model/chunk_ids3ds.h"
#include "model/reader3ds.h"
#include "support/chunk_writer_3ds.h"
#include "support/message_recorder.h"

namespace {
const char* const fatalCaption = "Kritická chxba TorEnginu";

class Reader3dsTest : public ::testing::Test {
protected:
    void SetUp() override { recordMessageBoxes(); }
    void TearDown() override { restoreMessageBoxes(); }
};

std::vector<Vector3> square() { return {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}; }
std::vector<TestFace> twoFaces() { return {{0, 1, 2}, {0, 2, 3}}; }

const TracedChunk3ds* findTraced(const std::vector<TracedChunk3ds>& trace, std::uint16_t id, int nth = 0) {
    for (const TracedChunk3ds& traced : trace)
        if (traced.chunk.id == id && nth-- == 0) return &traced;
    return nullptr;
}

TestChunk texturedMaterial(const std::string& name, const std::string& file) {
    return materialChunk({materialNameChunk(name), diffuseChunk(10, 20, 30), textureMapChunk(file)});
}
TestChunk plainMaterial(const std::string& name, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return materialChunk({materialNameChunk(name), diffuseChunk(r, g, b)});
}
TestChunk objectWithGroups(const std::string& name, std::vector<TestChunk> groups) {
    return namedObjectChunk(name, {triangleMeshChunk({vertexListChunk(square()), faceListChunk(twoFaces(), groups)})});
}
}  // namespace

TEST_F(Reader3dsTest, FaceListInnerChunksAreReadAsSiblingsAndEveryParentEndsAtItsLength) {
    const TestChunk faces = faceListChunk(twoFaces(), {materialGroupChunk("red", {0, 1}), smoothingGroupChunk(2)});
    const std::vector<Vector2> uv = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const TestChunk file = primaryChunk({versionChunk(3),
        meshDataChunk({plainMaterial("red", 200, 0, 0),
                       namedObjectChunk("quad", {triangleMeshChunk({vertexListChunk(square()), faces,
                                                                     mappingCoordsChunk(uv)})}),
                       namedObjectChunk("after", {triangleMeshChunk({vertexListChunk({{5, 6, 7}})})})})});
    Model3ds model;
    std::vector<TracedChunk3ds> trace;
    ASSERT_EQ(importBytes(encodeChunk(file), model, &trace), Reader3ds::Status::ok);

    const TracedChunk3ds* faceList = findTraced(trace, chunk3ds::faceList);
    ASSERT_NE(faceList, nullptr);
    EXPECT_EQ(faceList->chunk.length, 24u + encodedSize(faces.children[0]) + encodedSize(faces.children[1]));
    EXPECT_EQ(faceList->chunk.bytesRead, 24u);   // header 6, count 2, two faces of 8
    const TracedChunk3ds* group = findTraced(trace, chunk3ds::faceMaterialGroup);
    const TracedChunk3ds* smoothing = findTraced(trace, chunk3ds::smoothingGroups);
    ASSERT_NE(group, nullptr);
    ASSERT_NE(smoothing, nullptr);
    EXPECT_EQ(group->depth, faceList->depth);   // siblings of the face list, at the triangle-mesh level
    EXPECT_EQ(smoothing->depth, faceList->depth);
    EXPECT_EQ(group->chunk.bytesRead, group->chunk.length);
    for (const TracedChunk3ds& traced : trace) {
        if (traced.chunk.id == chunk3ds::faceList) continue;
        EXPECT_EQ(traced.chunk.bytesRead, traced.chunk.length) << std::hex << traced.chunk.id;
    }
    EXPECT_EQ(trace.back().chunk.id, chunk3ds::primary);
    EXPECT_EQ(trace.back().depth, 0);

    ASSERT_EQ(model.objectCount, 2);
    ASSERT_EQ(model.objects.size(), 2u);
    const Object3ds& quad = model.objects[0];
    EXPECT_STREQ(quad.name, "quad");
    EXPECT_EQ(quad.vertexCount, 4);
    EXPECT_EQ(quad.faceCount, 2);
    EXPECT_EQ(quad.faces[1].vertexIndex[0], 0);
    EXPECT_EQ(quad.faces[1].vertexIndex[1], 2);
    EXPECT_EQ(quad.faces[1].vertexIndex[2], 3);
    EXPECT_EQ(quad.materialIndex, 0);
    EXPECT_FALSE(quad.hasTexture);
    ASSERT_EQ(quad.texVertexCount, 4);
    EXPECT_EQ(quad.texVertices[2].u, 1.0f);
    EXPECT_EQ(quad.texVertices[2].v, 1.0f);
    EXPECT_EQ(quad.normals.size(), 4u);
    EXPECT_STREQ(model.objects[1].name, "after");
    EXPECT_EQ(model.objects[1].vertexCount, 1);
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(Reader3dsTest, LastMaterialGroupWinsAndHasTextureSticks) {
    const std::vector<TestChunk> materials = {plainMaterial("plain", 1, 2, 3), texturedMaterial("skin", "skin.jpg")};
    auto load = [&](std::vector<TestChunk> groups) {
        std::vector<TestChunk> children = materials;
        children.push_back(objectWithGroups("o", std::move(groups)));
        Model3ds model;
        EXPECT_EQ(importBytes(encodeChunk(primaryChunk({meshDataChunk(children)})), model), Reader3ds::Status::ok);
        EXPECT_EQ(model.objectCount, 1);
        return model.objects.empty() ? Object3ds{} : model.objects[0];
    };
    const Object3ds texturedThenPlain = load({materialGroupChunk("skin", {0}), materialGroupChunk("plain", {1})});
    EXPECT_EQ(texturedThenPlain.materialIndex, 0);
    EXPECT_TRUE(texturedThenPlain.hasTexture);
    const Object3ds plainThenTextured = load({materialGroupChunk("plain", {0}), materialGroupChunk("skin", {1})});
    EXPECT_EQ(plainThenTextured.materialIndex, 1);
    EXPECT_TRUE(plainThenTextured.hasTexture);
    const Object3ds texturedThenMissing = load({materialGroupChunk("skin", {0}), materialGroupChunk("gone", {1})});
    EXPECT_EQ(texturedThenMissing.materialIndex, -1);
    EXPECT_TRUE(texturedThenMissing.hasTexture);
    const Object3ds plainOnly = load({materialGroupChunk("plain", {0, 1})});
    EXPECT_EQ(plainOnly.materialIndex, 0);
    EXPECT_FALSE(plainOnly.hasTexture);
    // Names compare byte for byte: case matters.
    const Object3ds wrongCase = load({materialGroupChunk("Skin", {0, 1})});
    EXPECT_EQ(wrongCase.materialIndex, -1);
    EXPECT_FALSE(wrongCase.hasTexture);
    const Object3ds noGroup = load({});
    EXPECT_EQ(noGroup.materialIndex, 0);
    EXPECT_FALSE(noGroup.hasTexture);
}

TEST_F(Reader3dsTest, GroupInModelWithoutMaterialsKeepsIndexZero) {
    Model3ds model;
    const TestChunk file = primaryChunk({meshDataChunk({objectWithGroups("o", {materialGroupChunk("x", {0})})})});
    ASSERT_EQ(importBytes(encodeChunk(file), model), Reader3ds::Status::ok);
    ASSERT_EQ(model.objectCount, 1);
    EXPECT_EQ(model.materialCount, 0);
    EXPECT_EQ(model.objects[0].materialIndex, 0);
    EXPECT_FALSE(model.objects[0].hasTexture);
}

TEST_F(Reader3dsTest, MeshDataFirstChildIsConsumedUninterpreted) {
    // A material placed first in the mesh data takes the mesh version's place and is lost.
    Model3ds lost;
    const TestChunk file = primaryChunk({meshDataChunk(
        {plainMaterial("first", 1, 1, 1), plainMaterial("second", 2, 2, 2)}, false)});
    std::vector<TracedChunk3ds> trace;
    ASSERT_EQ(importBytes(encodeChunk(file), lost, &trace), Reader3ds::Status::ok);
    ASSERT_EQ(lost.materialCount, 1);
    EXPECT_STREQ(lost.materials[0].name, "second");
    const TracedChunk3ds* slot = findTraced(trace, chunk3ds::material);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->chunk.bytesRead, slot->chunk.length);
    EXPECT_TRUE(recordedMessages().empty());

    // Whatever sits in the slot is not looked at: a version 9 there warns of nothing.
    Model3ds quiet;
    const TestChunk versionFirst = primaryChunk({meshDataChunk({versionChunk(9), plainMaterial("m", 1, 1, 1)}, false)});
    ASSERT_EQ(importBytes(encodeChunk(versionFirst), quiet), Reader3ds::Status::ok);
    EXPECT_EQ(quiet.materialCount, 1);
    EXPECT_TRUE(recordedMessages().empty());

    // Nested mesh data: each level gives up its own first child.
    Model3ds nested;
    const TestChunk twice = primaryChunk({meshDataChunk({meshDataChunk({plainMaterial("inner", 3, 3, 3)})})});
    ASSERT_EQ(importBytes(encodeChunk(twice), nested), Reader3ds::Status::ok);
    ASSERT_EQ(nested.materialCount, 1);
    EXPECT_STREQ(nested.materials[0].name, "inner");
}

TEST_F(Reader3dsTest, ColourTakesTheFirstSubChunkAndTextureTheFirstMap) {
    const TestChunk opacityMap = rawChunk(0xA210, {}, {rawChunk(chunk3ds::mapFileName, {'o', '.', 'j', 'p', 'g', 0})});
    const TestChunk file = primaryChunk({meshDataChunk({
        materialChunk({materialNameChunk("hull"), diffuseChunk(12, 34, 56, true), textureMapChunk("hull.jpg"), opacityMap}),
        materialChunk({materialNameChunk("bare"), rawChunk(0xA010, {}, {rawChunk(chunk3ds::color24, {9, 9, 9})})}),
    })});
    Model3ds model;
    std::vector<TracedChunk3ds> trace;
    ASSERT_EQ(importBytes(encodeChunk(file), model, &trace), Reader3ds::Status::ok);
    ASSERT_EQ(model.materialCount, 2);
    const Material3ds& hull = model.materials[0];
    EXPECT_STREQ(hull.name, "hull");
    EXPECT_EQ(hull.color[0], 12);
    EXPECT_EQ(hull.color[1], 34);
    EXPECT_EQ(hull.color[2], 56);
    EXPECT_STREQ(hull.textureFile, "hull.jpg");   // the opacity map's file name is skipped whole
    // The gamma colour is met at the material level, beside the colour chunk, and skipped.
    const TracedChunk3ds* diffuse = findTraced(trace, chunk3ds::diffuseColor);
    const TracedChunk3ds* gamma = findTraced(trace, chunk3ds::color24Gamma);
    ASSERT_NE(diffuse, nullptr);
    ASSERT_NE(gamma, nullptr);
    EXPECT_EQ(gamma->depth, diffuse->depth);
    EXPECT_EQ(diffuse->chunk.bytesRead, 15u);
    // An ambient colour is not the diffuse one: the material keeps black and no texture.
    const Material3ds& bare = model.materials[1];
    EXPECT_EQ(bare.color[0], 0);
    EXPECT_EQ(bare.textureFile[0], '\0');
}

TEST_F(Reader3dsTest, VersionAboveThreeWarnsOnceAndLoadingGoesOn) {
    Model3ds three;
    ASSERT_EQ(importBytes(encodeChunk(primaryChunk({versionChunk(3), meshDataChunk({objectWithGroups("a", {})})})), three),
              Reader3ds::Status::ok);
    EXPECT_TRUE(recordedMessages().empty());
    EXPECT_EQ(three.objectCount, 1);

    Model3ds four;
    ASSERT_EQ(importBytes(encodeChunk(primaryChunk({versionChunk(4), meshDataChunk({objectWithGroups("a", {})})})), four),
              Reader3ds::Status::ok);
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0].text, "This 3DS file is over version 3 so it may load incorrectly");
    EXPECT_EQ(recordedMessages()[0].caption, "Warning");
    EXPECT_EQ(four.objectCount, 1);
    EXPECT_EQ(four.objects[0].faceCount, 2);
}

TEST_F(Reader3dsTest, VerticesTurnFromZUpToYUp) {
    const TestChunk file = primaryChunk({meshDataChunk({namedObjectChunk("v", {triangleMeshChunk({
        vertexListChunk({{1, 2, 3}, {-4.5f, 0.25f, -8}})})})})});
    Model3ds model;
    ASSERT_EQ(importBytes(encodeChunk(file), model), Reader3ds::Status::ok);
    ASSERT_EQ(model.objects.size(), 1u);
    const Object3ds& object = model.objects[0];
    ASSERT_EQ(object.vertexCount, 2);
    EXPECT_EQ(object.vertices[0].x, 1.0f);
    EXPECT_EQ(object.vertices[0].y, 3.0f);
    EXPECT_EQ(object.vertices[0].z, -2.0f);
    EXPECT_EQ(object.vertices[1].x, -4.5f);
    EXPECT_EQ(object.vertices[1].y, -8.0f);
    EXPECT_EQ(object.vertices[1].z, -0.25f);
}

TEST_F(Reader3dsTest, MissingFileAndMissingPrimaryChunkShowTheirMessagesAndLeaveTheModelEmpty) {
    Model3ds missing;
    Reader3ds reader;
    reader.import(missing, "no/such/dir/model.3ds");
    EXPECT_EQ(reader.status(), Reader3ds::Status::fileNotFound);
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0].text, "Unable to find the file: no/such/dir/model.3ds!");
    EXPECT_EQ(recordedMessages()[0].caption, fatalCaption);
    EXPECT_EQ(missing.objectCount, 0);

    recordMessageBoxes();
    const std::string path = writeTempFile(encodeChunk(meshDataChunk({objectWithGroups("a", {})})), "noprimary");
    Model3ds headless;
    Reader3ds second;
    second.import(headless, path.c_str());
    std::remove(path.c_str());
    EXPECT_EQ(second.status(), Reader3ds::Status::noPrimaryChunk);
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0].text, "Unable to load PRIMARY chuck from file: " + path + "!");
    EXPECT_EQ(recordedMessages()[0].caption, fatalCaption);
    EXPECT_EQ(headless.objectCount, 0);
    EXPECT_EQ(headless.materialCount, 0);
    EXPECT_TRUE(headless.objects.empty());

    // A folder opens but holds no chunk, and an empty file holds no header.
    recordMessageBoxes();
    Model3ds folder;
    Reader3ds third;
    third.import(folder, "/tmp");
    EXPECT_EQ(third.status(), Reader3ds::Status::noPrimaryChunk);
    EXPECT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(folder.objectCount, 0);
    Model3ds empty;
    EXPECT_EQ(importBytes({}, empty), Reader3ds::Status::noPrimaryChunk);
    EXPECT_EQ(recordedMessages().size(), 2u);
}

TEST_F(Reader3dsTest, MessageTextsAreCutToTwoHundredFiftyFiveCharacters) {
    const std::string longPath = "missing/" + std::string(600, 'p') + ".3ds";
    Model3ds model;
    Reader3ds reader;
    reader.import(model, longPath.c_str());
    ASSERT_EQ(recordedMessages().size(), 1u);
    const std::string& text = recordedMessages()[0].text;
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text, ("Unable to find the file: " + longPath).substr(0, 255));
}

TEST_F(Reader3dsTest, ObjectsThatAreNotMeshesCountWithNoGeometryAndUnknownChunksAreSkipped) {
    Bytes light;
    putF32(light, 1);
    putF32(light, 2);
    putF32(light, 3);
    const TestChunk file = primaryChunk({rawChunk(0x1234, Bytes(40, 0xEE)), meshDataChunk({
        rawChunk(0x0100, Bytes(4, 0)),   // master scale
        namedObjectChunk("lamp", {rawChunk(0x4600, light)}),
        namedObjectChunk("mesh", {triangleMeshChunk({rawChunk(0x4160, Bytes(48, 0)), vertexListChunk(square()),
                                                     faceListChunk(twoFaces())})}),
    }), rawChunk(0xB000, Bytes(100, 1), {rawChunk(0xB002, Bytes(20, 2))})});
    Model3ds model;
    ASSERT_EQ(importBytes(encodeChunk(file), model), Reader3ds::Status::ok);
    ASSERT_EQ(model.objectCount, 2);
    EXPECT_STREQ(model.objects[0].name, "lamp");
    EXPECT_EQ(model.objects[0].vertexCount, 0);
    EXPECT_EQ(model.objects[0].faceCount, 0);
    EXPECT_TRUE(model.objects[0].normals.empty());
    EXPECT_EQ(model.objects[1].vertexCount, 4);
    EXPECT_EQ(model.objects[1].faceCount, 2);
}
