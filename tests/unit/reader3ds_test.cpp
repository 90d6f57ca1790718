// The 3DS reader on files built chunk by chunk: byte bookkeeping, the quirks of its dispatch (face list
// inner chunks, material groups, the colour sub-chunk, the mesh data's first child), axes, messages, and
// long, truncated, nested and damaged input that must end reading cleanly with every byte counted.
#include <gtest/gtest.h>

#include <string>

#include "model/chunk_ids3ds.h"
#include "model/reader3ds.h"
#include "support/chunk_writer_3ds.h"
#include "support/message_recorder.h"

namespace {
using Status = Reader3ds::Status;
const char* const fatalCaption = "Kritická chxba TorEnginu";

class Reader3dsTest : public ::testing::Test {
protected:
    void SetUp() override { recordMessageBoxes(); }
    void TearDown() override { restoreMessageBoxes(); }
};

std::vector<Vector3> square() { return {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}; }

TestChunk meshObject(const std::string& name, std::vector<TestChunk> groups = {}) {
    return namedObjectChunk(name, {triangleMeshChunk({vertexListChunk(square()),
                                                      faceListChunk({{0, 1, 2}, {0, 2, 3}}, std::move(groups))})});
}
TestChunk plainMaterial(const std::string& name, std::uint8_t r = 1, std::uint8_t g = 2, std::uint8_t b = 3) {
    return materialChunk({materialNameChunk(name), diffuseChunk(r, g, b)});
}
TestChunk withLength(TestChunk chunk, std::uint32_t length) {
    chunk.length = length;
    return chunk;
}

Model3ds load(const TestChunk& file, Status expected = Status::ok, std::vector<TracedChunk3ds>* trace = nullptr) {
    Model3ds model;
    EXPECT_EQ(importBytes(encodeChunk(file), model, trace), expected);
    return model;
}
// A chunk followed by a sentinel object: the sentinel is read only if the chunk was consumed exactly.
Model3ds loadWithSentinel(TestChunk chunk, Status expected = Status::ok) {
    return load(primaryChunk({meshDataChunk({std::move(chunk), meshObject("sentinel")})}), expected);
}
bool hasSentinel(const Model3ds& model) {
    return !model.objects.empty() && std::string(model.objects.back().name) == "sentinel" &&
           model.objects.back().faceCount == 2;
}

const TracedChunk3ds* findTraced(const std::vector<TracedChunk3ds>& trace, std::uint16_t id) {
    for (const TracedChunk3ds& traced : trace)
        if (traced.chunk.id == id) return &traced;
    return nullptr;
}
// Every chunk but the face list (whose inner chunks are read as its siblings) ends exactly at its length.
void expectAllConsumed(const std::vector<TracedChunk3ds>& trace) {
    for (const TracedChunk3ds& traced : trace) {
        if (traced.chunk.id == chunk3ds::faceList) continue;
        EXPECT_EQ(traced.chunk.bytesRead, traced.chunk.length) << std::hex << traced.chunk.id;
    }
}
}  // namespace

TEST_F(Reader3dsTest, FaceListInnerChunksAreReadAsSiblingsAndEveryParentEndsAtItsLength) {
    const TestChunk faces = faceListChunk({{0, 1, 2}, {0, 2, 3}}, {materialGroupChunk("red", {0, 1}),
                                                                  rawChunk(chunk3ds::smoothingGroups, Bytes(8, 1))});
    const TestChunk file = primaryChunk({versionChunk(3), meshDataChunk({plainMaterial("red"),
        namedObjectChunk("quad", {triangleMeshChunk({vertexListChunk(square()), faces,
                                                     mappingCoordsChunk({{0, 0}, {1, 0}, {1, 0.5f}, {0, 1}})})}),
        namedObjectChunk("after", {triangleMeshChunk({vertexListChunk({{5, 6, 7}})})})})});
    std::vector<TracedChunk3ds> trace;
    const Model3ds model = load(file, Status::ok, &trace);

    const TracedChunk3ds* faceList = findTraced(trace, chunk3ds::faceList);
    const TracedChunk3ds* group = findTraced(trace, chunk3ds::faceMaterialGroup);
    const TracedChunk3ds* smoothing = findTraced(trace, chunk3ds::smoothingGroups);
    ASSERT_TRUE(faceList && group && smoothing);
    EXPECT_EQ(faceList->chunk.length, encodedSize(faces));
    EXPECT_EQ(faceList->chunk.bytesRead, 24u);   // header 6, count 2, two faces of 8
    EXPECT_EQ(group->depth, faceList->depth);    // siblings of the face list, at the triangle-mesh level
    EXPECT_EQ(smoothing->depth, faceList->depth);
    expectAllConsumed(trace);
    EXPECT_EQ(trace.back().chunk.id, chunk3ds::primary);
    EXPECT_EQ(trace.back().depth, 0);

    ASSERT_EQ(model.objectCount, 2);
    const Object3ds& quad = model.objects[0];
    EXPECT_STREQ(quad.name, "quad");
    EXPECT_EQ(quad.faceCount, 2);
    EXPECT_EQ(std::vector<int>(quad.faces[1].vertexIndex, quad.faces[1].vertexIndex + 3), std::vector<int>({0, 2, 3}));
    EXPECT_EQ(quad.materialIndex, 0);
    EXPECT_FALSE(quad.hasTexture);
    ASSERT_EQ(quad.texVertexCount, 4);
    EXPECT_EQ(quad.texVertices[2].u, 1.0f);
    EXPECT_EQ(quad.texVertices[2].v, 0.5f);
    EXPECT_EQ(quad.normals.size(), 4u);
    EXPECT_STREQ(model.objects[1].name, "after");
    EXPECT_EQ(model.objects[1].vertexCount, 1);
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(Reader3dsTest, LastMaterialGroupWinsAndHasTextureSticks) {
    const TestChunk skin = materialChunk({materialNameChunk("skin"), textureMapChunk("skin.jpg")});
    const struct {
        std::vector<std::string> groups;   // material named by each group, in file order
        int materialIndex;
        bool hasTexture;
        bool withMaterials = true;
    } cases[] = {{{"skin", "plain"}, 0, true}, {{"plain", "skin"}, 1, true}, {{"skin", "gone"}, -1, true},
                 {{"plain"}, 0, false}, {{"Skin"}, -1, false},   // names compare byte for byte
                 {{}, 0, false}, {{"x"}, 0, false, false}};      // without any material the index stays 0
    for (const auto& c : cases) {
        std::vector<TestChunk> groups, children;
        for (const std::string& name : c.groups) groups.push_back(materialGroupChunk(name, {0}));
        if (c.withMaterials) children = {plainMaterial("plain"), skin};
        children.push_back(meshObject("o", groups));
        const Model3ds model = load(primaryChunk({meshDataChunk(children)}));
        ASSERT_EQ(model.objectCount, 1);
        EXPECT_EQ(model.objects[0].materialIndex, c.materialIndex) << testing::PrintToString(c.groups);
        EXPECT_EQ(model.objects[0].hasTexture, c.hasTexture) << testing::PrintToString(c.groups);
    }
}

TEST_F(Reader3dsTest, MeshDataFirstChildIsConsumedUninterpreted) {
    // A material placed first takes the mesh version's place and is lost, fully consumed.
    std::vector<TracedChunk3ds> trace;
    Model3ds model = load(primaryChunk({meshDataChunk({plainMaterial("first"), plainMaterial("second")}, false)}),
                          Status::ok, &trace);
    ASSERT_EQ(model.materialCount, 1);
    EXPECT_STREQ(model.materials[0].name, "second");
    expectAllConsumed(trace);
    // Whatever sits in the slot is not looked at: a version 9 there warns of nothing.
    model = load(primaryChunk({meshDataChunk({versionChunk(9), plainMaterial("m")}, false)}));
    EXPECT_EQ(model.materialCount, 1);
    EXPECT_TRUE(recordedMessages().empty());
    // Nested mesh data: each level gives up its own first child.
    model = load(primaryChunk({meshDataChunk({meshDataChunk({plainMaterial("inner")})})}));
    ASSERT_EQ(model.materialCount, 1);
    EXPECT_STREQ(model.materials[0].name, "inner");
}

TEST_F(Reader3dsTest, ColourTakesTheFirstThreeBytesOfTheFirstSubChunkAndTextureTheFirstMap) {
    const TestChunk opacityMap = rawChunk(0xA210, {}, {rawChunk(chunk3ds::mapFileName, {'o', '.', 'j', 'p', 'g', 0})});
    const TestChunk ambient = rawChunk(0xA010, {}, {rawChunk(chunk3ds::color24, {9, 9, 9})});
    const TestChunk wide = rawChunk(chunk3ds::diffuseColor, {}, {rawChunk(chunk3ds::color24, {1, 2, 3, 4, 5, 6, 7})});
    const TestChunk narrow = rawChunk(chunk3ds::diffuseColor, {}, {rawChunk(chunk3ds::color24, {9})});
    std::vector<TracedChunk3ds> trace;
    const Model3ds model = load(primaryChunk({meshDataChunk({
        materialChunk({materialNameChunk("hull"), diffuseChunk(12, 34, 56, true), textureMapChunk("hull.jpg"),
                       opacityMap}),
        materialChunk({materialNameChunk("bare"), ambient}),   // an ambient colour is not the diffuse one
        materialChunk({wide, materialNameChunk("wide")}),
        materialChunk({narrow, rawChunk(chunk3ds::diffuseColor, {})}),   // short, then empty: the rest stays black
        meshObject("sentinel")})}), Status::ok, &trace);
    ASSERT_EQ(model.materialCount, 4);
    ASSERT_TRUE(hasSentinel(model));
    const auto colour = [&](int i) { return Bytes(model.materials[i].color, model.materials[i].color + 3); };
    EXPECT_EQ(colour(0), Bytes({12, 34, 56}));
    EXPECT_STREQ(model.materials[0].textureFile, "hull.jpg");   // the opacity map's file name is skipped whole
    EXPECT_EQ(colour(1), Bytes({0, 0, 0}));
    EXPECT_STREQ(model.materials[1].textureFile, "");
    EXPECT_EQ(colour(2), Bytes({1, 2, 3}));
    EXPECT_STREQ(model.materials[2].name, "wide");
    EXPECT_EQ(colour(3), Bytes({9, 0, 0}));
    // The gamma colour is met at the material level, beside the colour chunk, and skipped.
    const TracedChunk3ds* diffuse = findTraced(trace, chunk3ds::diffuseColor);
    const TracedChunk3ds* gamma = findTraced(trace, chunk3ds::color24Gamma);
    ASSERT_TRUE(diffuse && gamma);
    EXPECT_EQ(gamma->depth, diffuse->depth);
    EXPECT_EQ(diffuse->chunk.bytesRead, 15u);
}

TEST_F(Reader3dsTest, VersionAboveThreeWarnsOnceAndLoadingGoesOn) {
    EXPECT_EQ(load(primaryChunk({versionChunk(3), meshDataChunk({meshObject("a")})})).objectCount, 1);
    EXPECT_TRUE(recordedMessages().empty());
    // A version chunk of 8 bytes reads its first 4 and consumes the rest.
    EXPECT_TRUE(hasSentinel(loadWithSentinel(rawChunk(chunk3ds::fileVersion, {4, 0, 0, 0, 9, 9, 9, 9}))));
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0].text, "This 3DS file is over version 3 so it may load incorrectly");
    EXPECT_EQ(recordedMessages()[0].caption, "Warning");
    recordMessageBoxes();
    load(primaryChunk(std::vector<TestChunk>(1000, versionChunk(7))));
    EXPECT_EQ(recordedMessages().size(), 1u);
}

TEST_F(Reader3dsTest, VerticesTurnFromZUpToYUp) {
    const Model3ds model = load(primaryChunk({meshDataChunk({namedObjectChunk("v", {triangleMeshChunk({
        vertexListChunk({{1, 2, 3}, {-4.5f, 0.25f, -8}})})})})}));
    ASSERT_EQ(model.objects.size(), 1u);
    ASSERT_EQ(model.objects[0].vertexCount, 2);
    const Vector3* v = model.objects[0].vertices.data();
    EXPECT_EQ(std::vector<float>({v[0].x, v[0].y, v[0].z, v[1].x, v[1].y, v[1].z}),
              std::vector<float>({1, 3, -2, -4.5f, -8, -0.25f}));
}

TEST_F(Reader3dsTest, MissingFileAndMissingPrimaryChunkShowTheirMessagesAndLeaveTheModelEmpty) {
    const std::string longPath = "missing/" + std::string(600, 'p') + ".3ds";
    const std::string headless = writeTempFile(encodeChunk(meshDataChunk({meshObject("a")})));
    const std::string empty = writeTempFile({});
    const struct {
        std::string path;
        Status status;
        std::string text;   // cut to 255 characters
    } cases[] = {{"no/such/dir/model.3ds", Status::fileNotFound, "Unable to find the file: no/such/dir/model.3ds!"},
                 {longPath, Status::fileNotFound, ("Unable to find the file: " + longPath).substr(0, 255)},
                 {headless, Status::noPrimaryChunk, "Unable to load PRIMARY chuck from file: " + headless + "!"},
                 {"/tmp", Status::noPrimaryChunk, "Unable to load PRIMARY chuck from file: /tmp!"},   // a folder
                 {empty, Status::noPrimaryChunk, "Unable to load PRIMARY chuck from file: " + empty + "!"}};
    for (const auto& c : cases) {
        recordMessageBoxes();
        Model3ds model;
        Reader3ds reader;
        reader.import(model, c.path.c_str());
        EXPECT_EQ(reader.status(), c.status) << c.path;
        ASSERT_EQ(recordedMessages().size(), 1u) << c.path;
        EXPECT_EQ(recordedMessages()[0].text, c.text);
        EXPECT_EQ(recordedMessages()[0].caption, fatalCaption);
        EXPECT_EQ(model.objectCount, 0);
        EXPECT_TRUE(model.objects.empty());
    }
    std::remove(headless.c_str());
    std::remove(empty.c_str());
    // A primary chunk shorter than its own header is no primary chunk.
    EXPECT_EQ(load(withLength(primaryChunk({}), 2), Status::noPrimaryChunk).objectCount, 0);
}

TEST_F(Reader3dsTest, UnknownChunksAtEveryLevelAndOfAnyLengthAreSkippedWhole) {
    Bytes light(12, 0x40);
    const Model3ds model = load(primaryChunk({rawChunk(0x1234, Bytes(40, 0xEE)), meshDataChunk({
        rawChunk(0x0100, Bytes(4, 0)),   // master scale
        namedObjectChunk("lamp", {rawChunk(0x4600, light)}),
        namedObjectChunk("mesh", {triangleMeshChunk({rawChunk(0x4160, Bytes(48, 0)), vertexListChunk(square()),
                                                     faceListChunk({{0, 1, 2}})})}),
    }), rawChunk(0xB000, Bytes(100, 1), {rawChunk(0xB002, Bytes(20, 2))})}));
    ASSERT_EQ(model.objectCount, 2);
    EXPECT_STREQ(model.objects[0].name, "lamp");   // an object that is no mesh counts, with no geometry
    EXPECT_EQ(model.objects[0].vertexCount, 0);
    EXPECT_TRUE(model.objects[0].normals.empty());
    EXPECT_EQ(model.objects[1].faceCount, 1);

    for (std::size_t size : {0u, 1u, 700000u})
        EXPECT_TRUE(hasSentinel(loadWithSentinel(rawChunk(0x7777, Bytes(size, 7))))) << size;
    EXPECT_TRUE(hasSentinel(loadWithSentinel(namedObjectChunk("big", {rawChunk(0x4700, Bytes(300000, 1))}))));
    EXPECT_TRUE(hasSentinel(loadWithSentinel(materialChunk({rawChunk(0xA040, Bytes(250000, 2))}))));
}

TEST_F(Reader3dsTest, LongStringsAreCutButFullyCountedAndPayloadsPastTheirCountsAreSkipped) {
    const std::string longName(300, 'n'), longFile(400, 'f');
    TestChunk vertices = vertexListChunk({{1, 2, 3}});
    vertices.data.insert(vertices.data.end(), 11, 0x40);
    TestChunk coords = mappingCoordsChunk({{0.5f, 0.25f}});
    coords.data.insert(coords.data.end(), 13, 0x3F);
    std::vector<TracedChunk3ds> trace;
    const Model3ds model = load(primaryChunk({meshDataChunk({
        materialChunk({materialNameChunk(longName), textureMapChunk(longFile)}),
        meshObject(longName, {materialGroupChunk(longName, {0})}),
        namedObjectChunk("long payloads", {triangleMeshChunk({vertices, coords})}),
        materialChunk({rawChunk(chunk3ds::materialName, {'a', 'b'})}),   // no NUL in the chunk
        meshObject("sentinel")})}), Status::ok, &trace);
    expectAllConsumed(trace);
    ASSERT_TRUE(hasSentinel(model));
    ASSERT_EQ(model.materialCount, 2);
    EXPECT_EQ(std::string(model.materials[0].name), longName.substr(0, 254));
    EXPECT_EQ(std::string(model.materials[0].textureFile), longFile.substr(0, 254));
    EXPECT_STREQ(model.materials[1].name, "ab");
    EXPECT_EQ(std::string(model.objects[0].name), longName.substr(0, 254));
    // The group's name is cut the same way, so it still finds its material.
    EXPECT_EQ(model.objects[0].materialIndex, 0);
    EXPECT_TRUE(model.objects[0].hasTexture);
    const Object3ds& counted = model.objects[1];
    ASSERT_EQ(counted.vertexCount, 1);
    EXPECT_EQ(counted.vertices[0].z, -2.0f);
    ASSERT_EQ(counted.texVertexCount, 1);
    EXPECT_EQ(counted.texVertices[0].v, 0.25f);
}

TEST_F(Reader3dsTest, DamagedChunksEndReadingWithWhatWasRead) {
    TestChunk vertexCount = vertexListChunk(square()), faceCount = faceListChunk({{0, 1, 2}});
    TestChunk coordCount = mappingCoordsChunk({{0, 0}});
    vertexCount.data[0] = vertexCount.data[1] = 0xFF;   // counts the chunk cannot hold: nothing allocated
    faceCount.data[0] = 2;
    coordCount.data[0] = 9;
    TestChunk ragged = rawChunk(chunk3ds::textureMap1, {}, {rawChunk(chunk3ds::mapFileName, {'x', 0})});
    ragged.tail = {1, 2, 3};   // 1 to 5 bytes left after the children: no header fits there
    const struct {
        const char* what;
        TestChunk chunk;
        const char* object;   // the object read, without geometry, before reading stopped (null: none)
    } cases[] = {{"child too long", namedObjectChunk("o", {withLength(vertexListChunk(square()), 5000)}), "o"},
                 {"length 0", withLength(rawChunk(0x7777, Bytes(10, 0)), 0), nullptr},
                 {"length 1", withLength(rawChunk(0x7777, Bytes(10, 0)), 1), nullptr},
                 {"length 5", withLength(rawChunk(0x7777, Bytes(10, 0)), 5), nullptr},
                 {"vertex count", namedObjectChunk("o", {vertexCount}), "o"},
                 {"face count", namedObjectChunk("o", {triangleMeshChunk({faceCount})}), "o"},
                 {"coordinate count", namedObjectChunk("o", {coordCount}), "o"},
                 {"no room for the count", namedObjectChunk("o", {rawChunk(chunk3ds::vertexList, {1})}), "o"},
                 {"name without NUL", rawChunk(chunk3ds::namedObject, {'a', 'b', 'c'}), "abc"},
                 {"group name without NUL",
                  namedObjectChunk("o", {triangleMeshChunk({rawChunk(chunk3ds::faceMaterialGroup, {'m'})})}), "o"},
                 {"ragged parent", materialChunk({ragged}), nullptr}};
    for (const auto& c : cases) {
        const Model3ds model = loadWithSentinel(c.chunk, Status::damaged);
        ASSERT_EQ(model.objects.size(), c.object ? 1u : 0u) << c.what;
        ASSERT_EQ(model.objectCount, c.object ? 1 : 0) << c.what;
        if (!c.object) continue;
        EXPECT_STREQ(model.objects[0].name, c.object) << c.what;
        EXPECT_EQ(model.objects[0].vertexCount + model.objects[0].faceCount + model.objects[0].texVertexCount, 0)
            << c.what;
    }
    EXPECT_STREQ(loadWithSentinel(materialChunk({ragged}), Status::damaged).materials[0].textureFile, "x");
    // The normals are still made for what was read; damage is no message.
    Bytes cut = encodeChunk(primaryChunk({meshDataChunk({meshObject("kept"), meshObject("lost")})}));
    cut.resize(cut.size() - 3);
    Model3ds partial;
    EXPECT_EQ(importBytes(cut, partial), Status::damaged);
    ASSERT_GE(partial.objectCount, 1);
    ASSERT_EQ(partial.objects[0].normals.size(), 4u);
    EXPECT_EQ(partial.objects[0].normals[0].y, 1.0f);
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(Reader3dsTest, TruncationAtEveryByteOffsetEndsCleanly) {
    const TestChunk file = primaryChunk({versionChunk(3), meshDataChunk({
        materialChunk({materialNameChunk("skin"), diffuseChunk(1, 2, 3, true), textureMapChunk("skin.jpg")}),
        namedObjectChunk("first", {triangleMeshChunk({vertexListChunk({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}}),
            faceListChunk({{0, 1, 2}, {1, 3, 2}}, {materialGroupChunk("skin", {0, 1})}),
            mappingCoordsChunk({{0, 0}, {1, 0}, {0, 1}, {1, 1}})})}),
        meshObject("second"),
    })});
    const Bytes whole = encodeChunk(file);
    const Model3ds full = load(file);
    ASSERT_EQ(full.objectCount, 2);
    int previousObjects = 0;
    for (std::size_t size = 0; size < whole.size(); ++size) {
        recordMessageBoxes();
        Model3ds model;
        const Status status = importBytes(Bytes(whole.begin(), whole.begin() + size), model);
        EXPECT_EQ(status, size < 6 ? Status::noPrimaryChunk : Status::damaged) << size;
        EXPECT_EQ(recordedMessages().size(), size < 6 ? 1u : 0u) << size;
        ASSERT_EQ(model.objectCount, static_cast<int>(model.objects.size()));
        ASSERT_EQ(model.materialCount, static_cast<int>(model.materials.size()));
        EXPECT_LE(model.materialCount, full.materialCount);
        EXPECT_LE(model.objectCount, full.objectCount);
        EXPECT_GE(model.objectCount, previousObjects) << size;   // a longer prefix never reads less
        previousObjects = model.objectCount;
        // Arrays match their counts, and whatever was read completely equals the whole file's reading.
        for (int i = 0; i < model.objectCount; ++i) {
            const Object3ds& object = model.objects[i];
            ASSERT_EQ(object.vertices.size(), static_cast<size_t>(object.vertexCount));
            ASSERT_EQ(object.normals.size(), static_cast<size_t>(object.vertexCount));
            ASSERT_EQ(object.faces.size(), static_cast<size_t>(object.faceCount));
            ASSERT_EQ(object.texVertices.size(), static_cast<size_t>(object.texVertexCount));
            if (object.vertexCount == 0) continue;
            ASSERT_EQ(object.vertexCount, full.objects[i].vertexCount);
            EXPECT_EQ(object.vertices.back().y, full.objects[i].vertices.back().y);
        }
    }
}

TEST_F(Reader3dsTest, DeepNestingIsCutOffAtTheDepthLimit) {
    // Built by moving each level into the next: copying would make the test quadratic.
    auto nest = [](TestChunk inner, std::uint16_t id, int levels) {
        for (int i = 0; i < levels; ++i) {
            TestChunk outer = rawChunk(id, {});
            if (id == chunk3ds::meshData) outer.children.push_back(rawChunk(chunk3ds::meshVersion, {3, 0, 0, 0}));
            outer.children.push_back(std::move(inner));
            inner = std::move(outer);
        }
        return inner;
    };
    EXPECT_EQ(load(primaryChunk({nest(meshObject("deep"), chunk3ds::meshData, 10)})).objectCount, 1);
    // Beyond the limit the chunks are skipped whole.
    EXPECT_EQ(load(primaryChunk({nest(meshObject("deep"), chunk3ds::meshData, 5000)})).objectCount, 0);
    const Model3ds meshes = load(primaryChunk(
        {namedObjectChunk("outer", {nest(vertexListChunk(square()), chunk3ds::triangleMesh, 5000)})}));
    ASSERT_EQ(meshes.objectCount, 1);
    EXPECT_EQ(meshes.objects[0].vertexCount, 0);
}
