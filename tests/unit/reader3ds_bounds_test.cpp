// The 3DS reader on long, oversized, truncated and damaged input: every byte counted, nothing written
// past a field or an array, and reading of a damaged file ends instead of looping.
#include <gtest/gtest.h>

#include <string>

#include "model/chunk_ids3ds.h"
#include "model/reader3ds.h"
#include "support/chunk_writer_3ds.h"
#include "support/message_recorder.h"

namespace {
class Reader3dsBoundsTest : public ::testing::Test {
protected:
    void SetUp() override { recordMessageBoxes(); }
    void TearDown() override { restoreMessageBoxes(); }
};

std::vector<Vector3> triangle() { return {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}; }

TestChunk meshObject(const std::string& name) {
    return namedObjectChunk(name, {triangleMeshChunk({vertexListChunk(triangle()), faceListChunk({{0, 1, 2}})})});
}

// A chunk followed by a sentinel object: the sentinel is read only if the chunk was consumed exactly.
Model3ds importWithSentinel(TestChunk chunk, Reader3ds::Status expected = Reader3ds::Status::ok) {
    Model3ds model;
    const TestChunk file = primaryChunk({meshDataChunk({std::move(chunk), meshObject("sentinel")})});
    EXPECT_EQ(importBytes(encodeChunk(file), model), expected);
    return model;
}

bool hasSentinel(const Model3ds& model) {
    return !model.objects.empty() && std::string(model.objects.back().name) == "sentinel" &&
           model.objects.back().faceCount == 1;
}

void expectConsistent(const Model3ds& model) {
    ASSERT_EQ(model.objectCount, static_cast<int>(model.objects.size()));
    ASSERT_EQ(model.materialCount, static_cast<int>(model.materials.size()));
    for (const Object3ds& object : model.objects) {
        EXPECT_EQ(object.vertexCount, static_cast<int>(object.vertices.size()));
        EXPECT_EQ(object.vertexCount, static_cast<int>(object.normals.size()));
        EXPECT_EQ(object.faceCount, static_cast<int>(object.faces.size()));
        EXPECT_EQ(object.texVertexCount, static_cast<int>(object.texVertices.size()));
        EXPECT_LT(std::string(object.name).size(), 255u);
    }
    for (const Material3ds& material : model.materials) {
        EXPECT_LT(std::string(material.name, sizeof material.name).find('\0'), 255u);
        EXPECT_LT(std::string(material.textureFile, sizeof material.textureFile).find('\0'), 255u);
    }
}

TestChunk withLength(TestChunk chunk, std::uint32_t length) {
    chunk.length = length;
    return chunk;
}
}  // namespace

TEST_F(Reader3dsBoundsTest, LongStringsAreCutButFullyConsumed) {
    const std::string longName(300, 'n');
    const std::string longFile(400, 'f');
    const std::string cut = longName.substr(0, 254);
    const TestChunk file = primaryChunk({meshDataChunk({
        materialChunk({materialNameChunk(longName), textureMapChunk(longFile)}),
        namedObjectChunk(longName, {triangleMeshChunk({vertexListChunk(triangle()), faceListChunk({{0, 1, 2}},
                                                       {materialGroupChunk(longName, {0})})})}),
        meshObject("sentinel"),
    })});
    Model3ds model;
    std::vector<TracedChunk3ds> trace;
    ASSERT_EQ(importBytes(encodeChunk(file), model, &trace), Reader3ds::Status::ok);
    expectConsistent(model);
    ASSERT_EQ(model.materialCount, 1);
    EXPECT_EQ(std::string(model.materials[0].name), cut);
    EXPECT_EQ(std::string(model.materials[0].textureFile), longFile.substr(0, 254));
    ASSERT_EQ(model.objectCount, 2);
    EXPECT_EQ(std::string(model.objects[0].name), cut);
    // The group's name is cut the same way, so it still finds its material.
    EXPECT_EQ(model.objects[0].materialIndex, 0);
    EXPECT_TRUE(model.objects[0].hasTexture);
    EXPECT_TRUE(hasSentinel(model));
    for (const TracedChunk3ds& traced : trace) {
        if (traced.chunk.id == chunk3ds::faceList) continue;
        EXPECT_EQ(traced.chunk.bytesRead, traced.chunk.length);
    }
}

TEST_F(Reader3dsBoundsTest, SkippedPayloadsOfAnyLengthAreConsumed) {
    for (std::size_t size : {0u, 1u, 199999u, 200000u, 200001u, 700000u}) {
        Bytes payload(size);
        for (std::size_t i = 0; i < size; ++i) payload[i] = static_cast<std::uint8_t>(i * 7);
        const Model3ds model = importWithSentinel(rawChunk(0x7777, payload));
        EXPECT_TRUE(hasSentinel(model)) << size;
    }
    // A big unknown chunk inside an object and inside a material too.
    const Model3ds inObject = importWithSentinel(namedObjectChunk("big", {rawChunk(0x4700, Bytes(300000, 1))}));
    EXPECT_TRUE(hasSentinel(inObject));
    const Model3ds inMaterial = importWithSentinel(materialChunk({rawChunk(0xA040, Bytes(250000, 2))}));
    EXPECT_TRUE(hasSentinel(inMaterial));
    EXPECT_EQ(inMaterial.materialCount, 1);
}

TEST_F(Reader3dsBoundsTest, PayloadsLongerThanTheirCountsStoreOnlyTheCountedElements) {
    TestChunk vertices = vertexListChunk({{1, 2, 3}});
    vertices.data.insert(vertices.data.end(), {0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40});
    TestChunk coords = mappingCoordsChunk({{0.5f, 0.25f}});
    coords.data.insert(coords.data.end(), 13, 0x3F);
    const Model3ds object = importWithSentinel(namedObjectChunk("o", {triangleMeshChunk({vertices, coords})}));
    ASSERT_TRUE(hasSentinel(object));
    ASSERT_EQ(object.objects[0].vertexCount, 1);
    EXPECT_EQ(object.objects[0].vertices[0].z, -2.0f);
    ASSERT_EQ(object.objects[0].texVertexCount, 1);
    EXPECT_EQ(object.objects[0].texVertices[0].v, 0.25f);

    // A colour sub-chunk of 7 bytes: the first 3 are the colour, the rest is consumed.
    const TestChunk wideColour = rawChunk(chunk3ds::diffuseColor, {}, {rawChunk(chunk3ds::color24, {1, 2, 3, 4, 5, 6, 7})});
    const Model3ds colour = importWithSentinel(materialChunk({wideColour, materialNameChunk("after")}));
    ASSERT_TRUE(hasSentinel(colour));
    ASSERT_EQ(colour.materialCount, 1);
    EXPECT_EQ(colour.materials[0].color[0], 1);
    EXPECT_EQ(colour.materials[0].color[2], 3);
    EXPECT_STREQ(colour.materials[0].name, "after");

    // A short colour and an empty colour chunk leave the rest of the colour black.
    const Model3ds shortColour = importWithSentinel(materialChunk(
        {rawChunk(chunk3ds::diffuseColor, {}, {rawChunk(chunk3ds::color24, {9})}), rawChunk(chunk3ds::diffuseColor, {})}));
    ASSERT_TRUE(hasSentinel(shortColour));
    EXPECT_EQ(shortColour.materials[0].color[0], 9);
    EXPECT_EQ(shortColour.materials[0].color[1], 0);

    // A version of 8 bytes reads its first 4; a name chunk without its NUL is still terminated.
    const Model3ds version = importWithSentinel(rawChunk(chunk3ds::fileVersion, {4, 0, 0, 0, 9, 9, 9, 9}));
    EXPECT_TRUE(hasSentinel(version));
    EXPECT_EQ(recordedMessages().size(), 1u);
    const Model3ds unterminated = importWithSentinel(materialChunk({rawChunk(chunk3ds::materialName, {'a', 'b'})}));
    EXPECT_STREQ(unterminated.materials[0].name, "ab");
}

TEST_F(Reader3dsBoundsTest, DamagedChunksEndReadingWithoutLooping) {
    // A child longer than what is left of its parent.
    TestChunk tooLong = namedObjectChunk("o", {withLength(vertexListChunk(triangle()), 5000)});
    Model3ds model = importWithSentinel(tooLong, Reader3ds::Status::damaged);
    expectConsistent(model);
    EXPECT_FALSE(hasSentinel(model));
    ASSERT_EQ(model.objectCount, 1);
    EXPECT_EQ(model.objects[0].vertexCount, 0);

    // Lengths smaller than the header already consumed, 0 among them (which would never advance).
    for (std::uint32_t length : {0u, 1u, 5u}) {
        model = importWithSentinel(withLength(rawChunk(0x7777, Bytes(10, 0)), length), Reader3ds::Status::damaged);
        expectConsistent(model);
        EXPECT_FALSE(hasSentinel(model)) << length;
    }
    // A count that the chunk cannot hold: nothing is allocated for it.
    TestChunk vertexCount = vertexListChunk(triangle());
    vertexCount.data[0] = 0xFF;
    vertexCount.data[1] = 0xFF;
    model = importWithSentinel(namedObjectChunk("o", {vertexCount}), Reader3ds::Status::damaged);
    ASSERT_EQ(model.objectCount, 1);
    EXPECT_EQ(model.objects[0].vertexCount, 0);
    TestChunk faceCount = faceListChunk({{0, 1, 2}});
    faceCount.data[0] = 2;
    model = importWithSentinel(namedObjectChunk("o", {triangleMeshChunk({faceCount})}), Reader3ds::Status::damaged);
    EXPECT_EQ(model.objects[0].faceCount, 0);
    TestChunk coordCount = mappingCoordsChunk({{0, 0}});
    coordCount.data[0] = 9;
    model = importWithSentinel(namedObjectChunk("o", {coordCount}), Reader3ds::Status::damaged);
    EXPECT_EQ(model.objects[0].texVertexCount, 0);

    // A vertex list too short for its own count field.
    model = importWithSentinel(namedObjectChunk("o", {rawChunk(chunk3ds::vertexList, {1})}), Reader3ds::Status::damaged);
    EXPECT_FALSE(hasSentinel(model));
    // A name whose NUL lies beyond its chunk.
    model = importWithSentinel(rawChunk(chunk3ds::namedObject, {'a', 'b', 'c'}), Reader3ds::Status::damaged);
    ASSERT_EQ(model.objectCount, 1);
    EXPECT_STREQ(model.objects[0].name, "abc");
    model = importWithSentinel(namedObjectChunk("o", {triangleMeshChunk({rawChunk(chunk3ds::faceMaterialGroup, {'m'})})}),
                               Reader3ds::Status::damaged);
    EXPECT_FALSE(hasSentinel(model));
    // A parent with 1 to 5 bytes left after its children: no header fits there.
    TestChunk ragged = rawChunk(chunk3ds::textureMap1, {}, {rawChunk(chunk3ds::mapFileName, {'x', 0})});
    ragged.tail = {1, 2, 3};
    TestChunk material = materialChunk({ragged});
    model = importWithSentinel(material, Reader3ds::Status::damaged);
    EXPECT_FALSE(hasSentinel(model));
    EXPECT_STREQ(model.materials[0].textureFile, "x");
    // The normals are still made for what was read.
    Bytes cut = encodeChunk(primaryChunk({meshDataChunk({meshObject("kept"), meshObject("lost")})}));
    cut.resize(cut.size() - 3);
    Model3ds partial;
    EXPECT_EQ(importBytes(cut, partial), Reader3ds::Status::damaged);
    ASSERT_GE(partial.objectCount, 1);
    EXPECT_EQ(partial.objects[0].normals.size(), 3u);
    EXPECT_EQ(partial.objects[0].normals[0].y, 1.0f);
    EXPECT_TRUE(recordedMessages().empty());
    // A primary chunk shorter than its own header is no primary chunk.
    Model3ds tiny;
    EXPECT_EQ(importBytes(encodeChunk(withLength(primaryChunk({}), 2)), tiny), Reader3ds::Status::noPrimaryChunk);
    EXPECT_EQ(tiny.objectCount, 0);
    EXPECT_EQ(recordedMessages().size(), 1u);
}

TEST_F(Reader3dsBoundsTest, TruncationAtEveryByteOffsetEndsCleanly) {
    const TestChunk file = primaryChunk({versionChunk(3), meshDataChunk({
        materialChunk({materialNameChunk("skin"), diffuseChunk(1, 2, 3, true), textureMapChunk("skin.jpg")}),
        namedObjectChunk("first", {triangleMeshChunk({vertexListChunk({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}}),
            faceListChunk({{0, 1, 2}, {1, 3, 2}}, {materialGroupChunk("skin", {0, 1}), smoothingGroupChunk(2)}),
            mappingCoordsChunk({{0, 0}, {1, 0}, {0, 1}, {1, 1}})})}),
        meshObject("second"),
    })});
    const Bytes whole = encodeChunk(file);
    Model3ds full;
    ASSERT_EQ(importBytes(whole, full), Reader3ds::Status::ok);
    ASSERT_EQ(full.objectCount, 2);
    int previousObjects = 0;
    for (std::size_t size = 0; size < whole.size(); ++size) {
        recordMessageBoxes();
        Model3ds model;
        const Reader3ds::Status status = importBytes(Bytes(whole.begin(), whole.begin() + size), model);
        expectConsistent(model);
        if (size < 6) {
            EXPECT_EQ(status, Reader3ds::Status::noPrimaryChunk) << size;
            EXPECT_EQ(recordedMessages().size(), 1u) << size;
        } else {
            EXPECT_EQ(status, Reader3ds::Status::damaged) << size;
            EXPECT_TRUE(recordedMessages().empty()) << size;
        }
        EXPECT_LE(model.objectCount, full.objectCount);
        EXPECT_LE(model.materialCount, full.materialCount);
        EXPECT_GE(model.objectCount, previousObjects) << size;   // a longer prefix never reads less
        previousObjects = model.objectCount;
        // Whatever was read completely equals the whole file's reading.
        for (int i = 0; i < model.objectCount; ++i) {
            const Object3ds& object = model.objects[i];
            if (object.vertexCount == 0) continue;
            ASSERT_EQ(object.vertexCount, full.objects[i].vertexCount);
            EXPECT_EQ(object.vertices.back().y, full.objects[i].vertices.back().y);
        }
    }
}

TEST_F(Reader3dsBoundsTest, DeepNestingIsCutOffAndVersionFloodWarnsOnce) {
    // Built by moving each level into the next: copying would make the test quadratic.
    auto nest = [](TestChunk inner, std::uint16_t id, int levels, bool withMeshVersion) {
        for (int i = 0; i < levels; ++i) {
            TestChunk outer = rawChunk(id, {});
            if (withMeshVersion) outer.children.push_back(meshVersionChunk());
            outer.children.push_back(std::move(inner));
            inner = std::move(outer);
        }
        return inner;
    };
    auto nestedMeshData = [&](int levels) { return primaryChunk({nest(meshObject("deep"), chunk3ds::meshData, levels, true)}); };
    Model3ds shallow;
    ASSERT_EQ(importBytes(encodeChunk(nestedMeshData(10)), shallow), Reader3ds::Status::ok);
    EXPECT_EQ(shallow.objectCount, 1);
    Model3ds deep;
    ASSERT_EQ(importBytes(encodeChunk(nestedMeshData(5000)), deep), Reader3ds::Status::ok);
    EXPECT_EQ(deep.objectCount, 0);   // beyond the nesting limit the chunks are skipped whole

    TestChunk meshes = nest(vertexListChunk(triangle()), chunk3ds::triangleMesh, 5000, false);
    Model3ds nestedMeshes;
    ASSERT_EQ(importBytes(encodeChunk(primaryChunk({namedObjectChunk("outer", {meshes})})), nestedMeshes),
              Reader3ds::Status::ok);
    ASSERT_EQ(nestedMeshes.objectCount, 1);
    EXPECT_EQ(nestedMeshes.objects[0].vertexCount, 0);   // the vertex list lies below the limit

    std::vector<TestChunk> versions(1000, versionChunk(7));
    Model3ds flood;
    ASSERT_EQ(importBytes(encodeChunk(primaryChunk(versions)), flood), Reader3ds::Status::ok);
    EXPECT_EQ(recordedMessages().size(), 1u);
}
