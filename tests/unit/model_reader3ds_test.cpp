// The 3DS reader on files built chunk by chunk: byte bookkeeping, the quirks of its dispatch (face list
// inner chunks, material groups, the colour sub-chunk, the mesh data's first child), axes, messages, and
// long, truncated, nested and damaged input that must end reading cleanly with every byte counted; then
// the smooth normals it computes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "model/normals.h"
#include "model/reader3ds.h"
#include "support/chunk_writer_3ds.h"
#include "support/message_recorder.h"

namespace {
using Status = Reader3ds::Status;

class Reader3dsTest : public ::testing::Test {
protected:
    void SetUp() override { recordMessageBoxes(); }
    void TearDown() override { restoreMessageBoxes(); }
};

const std::vector<Vector3> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
TestChunk meshObject(const std::string& name, std::vector<TestChunk> groups = {}) {
    return namedObjectChunk(name, {triangleMeshChunk({vertexListChunk(square),
                                                      faceListChunk({{0, 1, 2}, {0, 2, 3}}, std::move(groups))})});
}
TestChunk namedMaterial(const std::string& name, std::vector<TestChunk> children = {}) {
    children.insert(children.begin(), materialNameChunk(name));
    return materialChunk(std::move(children));
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
const TracedChunk3ds& traced(const std::vector<TracedChunk3ds>& trace, std::uint16_t id) {
    static const TracedChunk3ds none{-1, {}};
    for (const TracedChunk3ds& chunk : trace)
        if (chunk.chunk.id == id) return chunk;
    return none;
}

std::vector<float> flat(const std::vector<Vector3>& vectors) {
    std::vector<float> values;
    for (const Vector3& v : vectors) values.insert(values.end(), {v.x, v.y, v.z});
    return values;
}
}  // namespace

TEST_F(Reader3dsTest, ReadsEveryKindOfChunkAndConsumesEachToItsLength) {
    const std::string longName(300, 'n'), longFile(400, 'f');
    TestChunk vertices = vertexListChunk({{1, 2, 3}, {-4.5f, 0.25f, -8}});   // z up in the file
    vertices.data.insert(vertices.data.end(), 11, 0x40);                      // past the count: skipped
    TestChunk coords = mappingCoordsChunk({{0, 0}, {1, 0.5f}});
    coords.data.insert(coords.data.end(), 13, 0x3F);
    const TestChunk faceList = faceListChunk({{0, 1, 1}}, {materialGroupChunk("hull", {0}),
                                                           rawChunk(chunk3ds::smoothingGroups, Bytes(4, 1))});
    const auto colour = [](Bytes rgb) {
        return rawChunk(chunk3ds::diffuseColor, {}, {rawChunk(chunk3ds::color24, rgb)});
    };
    // The mesh data's first child takes the mesh version's place: a version 9 there is consumed unread.
    const TestChunk file = primaryChunk({rawChunk(chunk3ds::fileVersion, {3, 0, 0, 0}), rawChunk(0x1234, Bytes(40, 1)),
        meshDataChunk({rawChunk(chunk3ds::fileVersion, {9, 0, 0, 0}), rawChunk(0x0100, Bytes(4, 0)),
            rawChunk(0x7777, {}), rawChunk(0x7777, Bytes(700000, 7)),
            namedMaterial("hull", {diffuseChunk(12, 34, 56, true), textureMapChunk("hull.jpg"),
                                   rawChunk(0xA210, {}, {rawChunk(chunk3ds::mapFileName, {'o', 0})})}),   // opacity
            namedMaterial("ambient", {rawChunk(0xA010, {}, {rawChunk(chunk3ds::color24, {9, 9, 9})})}),
            materialChunk({colour({1, 2, 3, 4, 5, 6, 7}), materialNameChunk("wide")}),
            materialChunk({colour({9}), rawChunk(chunk3ds::diffuseColor, {})}),   // short, then empty
            namedMaterial(longName, {textureMapChunk(longFile), rawChunk(0xA040, Bytes(250000, 2))}),
            materialChunk({rawChunk(chunk3ds::materialName, {'a', 'b'})}),   // no NUL in the chunk
            namedObjectChunk("quad", {triangleMeshChunk({rawChunk(0x4160, Bytes(48, 0)), vertices, faceList, coords})}),
            namedObjectChunk("lamp", {rawChunk(0x4600, Bytes(12, 0x40)), rawChunk(0x4700, Bytes(300000, 1))}),
            meshObject(longName, {materialGroupChunk(longName, {0})}), meshObject("sentinel")}, false),
        rawChunk(0xB000, Bytes(100, 1), {rawChunk(0xB002, Bytes(20, 2))})});
    std::vector<TracedChunk3ds> trace;
    const Model3ds model = load(file, Status::ok, &trace);
    EXPECT_TRUE(recordedMessages().empty());

    // The face list's inner chunks and the gamma colour are read as siblings of their parents, which stop
    // after their own data; every other chunk ends exactly at its length.
    const TracedChunk3ds &faces = traced(trace, chunk3ds::faceList), &diffuse = traced(trace, chunk3ds::diffuseColor);
    EXPECT_EQ(faces.chunk.bytesRead, 16u);   // header 6, count 2, one face of 8
    EXPECT_EQ(diffuse.chunk.bytesRead, 15u);
    EXPECT_EQ(traced(trace, chunk3ds::faceMaterialGroup).depth, faces.depth);
    EXPECT_EQ(traced(trace, chunk3ds::smoothingGroups).depth, faces.depth);
    EXPECT_EQ(traced(trace, chunk3ds::color24Gamma).depth, diffuse.depth);
    for (const TracedChunk3ds& chunk : trace) {
        if (chunk.chunk.id == chunk3ds::faceList || &chunk == &diffuse) continue;
        EXPECT_EQ(chunk.chunk.bytesRead, chunk.chunk.length) << std::hex << chunk.chunk.id;
    }

    // Materials: the first 3 bytes of the first colour sub-chunk, black when short or absent, the first
    // texture map's file; names and files cut to 254 characters.
    std::vector<std::string> names, files;
    std::vector<Bytes> colours;
    for (const Material3ds& m : model.materials) {
        names.push_back(m.name);
        files.push_back(m.textureFile);
        colours.push_back(Bytes(m.color, m.color + 3));
    }
    EXPECT_EQ(names, std::vector<std::string>({"hull", "ambient", "wide", "", longName.substr(0, 254), "ab"}));
    EXPECT_EQ(files, std::vector<std::string>({"hull.jpg", "", "", "", longFile.substr(0, 254), ""}));
    EXPECT_EQ(colours, std::vector<Bytes>({{12, 34, 56}, {0, 0, 0}, {1, 2, 3}, {9, 0, 0}, {0, 0, 0}, {0, 0, 0}}));

    // Objects: vertices turned from z up to y up, counted elements only; a light counts with no geometry;
    // a cut group name still finds its cut material.
    ASSERT_EQ(model.objectCount, 4);
    EXPECT_TRUE(hasSentinel(model));
    const Object3ds& quad = model.objects[0];
    EXPECT_EQ(flat(quad.vertices), std::vector<float>({1, 3, -2, -4.5f, -8, -0.25f}));
    ASSERT_EQ(quad.faceCount, 1);
    EXPECT_EQ(std::vector<int>(quad.faces[0].vertexIndex, quad.faces[0].vertexIndex + 3), std::vector<int>({0, 1, 1}));
    ASSERT_EQ(quad.texVertexCount, 2);
    EXPECT_EQ(quad.texVertices[1].v, 0.5f);
    EXPECT_EQ(quad.materialIndex, 0);
    EXPECT_TRUE(quad.hasTexture);
    EXPECT_STREQ(model.objects[1].name, "lamp");
    EXPECT_EQ(model.objects[1].vertexCount + model.objects[1].faceCount, 0);
    EXPECT_EQ(std::string(model.objects[2].name), longName.substr(0, 254));
    EXPECT_EQ(model.objects[2].materialIndex, 4);
}

TEST_F(Reader3dsTest, LastMaterialGroupWinsAndHasTextureSticks) {
    const TestChunk skin = namedMaterial("skin", {textureMapChunk("skin.jpg")});
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
        if (c.withMaterials) children = {namedMaterial("plain"), skin};
        children.push_back(meshObject("o", groups));
        const Model3ds model = load(primaryChunk({meshDataChunk(children)}));
        ASSERT_EQ(model.objectCount, 1);
        EXPECT_EQ(model.objects[0].materialIndex, c.materialIndex) << testing::PrintToString(c.groups);
        EXPECT_EQ(model.objects[0].hasTexture, c.hasTexture) << testing::PrintToString(c.groups);
    }
}

TEST_F(Reader3dsTest, MeshDataFirstChildIsConsumedUninterpretedAndVersionsAboveThreeWarnOnce) {
    // A material placed first takes the mesh version's place and is lost.
    Model3ds model = load(primaryChunk({meshDataChunk({namedMaterial("first"), namedMaterial("second")}, false)}));
    ASSERT_EQ(model.materialCount, 1);
    EXPECT_STREQ(model.materials[0].name, "second");
    // Nested mesh data: each level gives up its own first child.
    model = load(primaryChunk({meshDataChunk({meshDataChunk({namedMaterial("inner")})})}));
    ASSERT_EQ(model.materialCount, 1);
    EXPECT_STREQ(model.materials[0].name, "inner");

    // A version chunk of 8 bytes reads its first 4 and consumes the rest; a thousand warn once.
    EXPECT_TRUE(hasSentinel(loadWithSentinel(rawChunk(chunk3ds::fileVersion, {4, 0, 0, 0, 9, 9, 9, 9}))));
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0].text, "This 3DS file is over version 3 so it may load incorrectly");
    EXPECT_EQ(recordedMessages()[0].caption, "Warning");
    recordMessageBoxes();
    load(primaryChunk(std::vector<TestChunk>(1000, rawChunk(chunk3ds::fileVersion, {7, 0, 0, 0}))));
    EXPECT_EQ(recordedMessages().size(), 1u);
}

TEST_F(Reader3dsTest, MissingFileAndMissingPrimaryChunkShowTheirMessagesAndLeaveTheModelEmpty) {
    const std::string longPath = "missing/" + std::string(600, 'p') + ".3ds";
    const std::string headless = writeTempFile(encodeChunk(meshDataChunk({meshObject("a")})));
    const std::string tiny = writeTempFile(encodeChunk(withLength(primaryChunk({}), 2)));
    const std::string notFound = "Unable to find the file: ", noPrimary = "Unable to load PRIMARY chuck from file: ";
    const std::pair<std::string, Status> cases[] = {{"no/such/dir/model.3ds", Status::fileNotFound},
        {longPath, Status::fileNotFound}, {headless, Status::noPrimaryChunk}, {"/tmp", Status::noPrimaryChunk},
        {tiny, Status::noPrimaryChunk}};   // a primary chunk shorter than a header; an empty file: the truncation test
    for (const auto& [path, status] : cases) {
        recordMessageBoxes();
        Model3ds model;
        Reader3ds reader;
        reader.import(model, path.c_str());
        EXPECT_EQ(reader.status(), status) << path;
        ASSERT_EQ(recordedMessages().size(), 1u) << path;
        const std::string text = (status == Status::fileNotFound ? notFound : noPrimary) + path + "!";
        EXPECT_EQ(recordedMessages()[0].text, text.substr(0, 255));   // cut to 255 characters
        EXPECT_EQ(recordedMessages()[0].caption, "Kritická chxba TorEnginu");
        EXPECT_EQ(model.objectCount + model.objects.size(), 0u);
    }
    for (const std::string& path : {headless, tiny}) std::remove(path.c_str());
}

TEST_F(Reader3dsTest, DamagedChunksEndReadingWithWhatWasRead) {
    TestChunk vertexCount = vertexListChunk(square), faceCount = faceListChunk({{0, 1, 2}});
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
    } cases[] = {{"child too long", namedObjectChunk("o", {withLength(vertexListChunk(square), 5000)}), "o"},
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
        if (!c.object) continue;
        EXPECT_STREQ(model.objects[0].name, c.object) << c.what;
        EXPECT_EQ(model.objects[0].vertexCount + model.objects[0].faceCount + model.objects[0].texVertexCount, 0)
            << c.what;
    }
    EXPECT_STREQ(loadWithSentinel(materialChunk({ragged}), Status::damaged).materials[0].textureFile, "x");
    EXPECT_TRUE(recordedMessages().empty());   // damage is no message
}

TEST_F(Reader3dsTest, TruncationAtEveryByteOffsetEndsCleanly) {
    const TestChunk file = primaryChunk({rawChunk(chunk3ds::fileVersion, {3, 0, 0, 0}), meshDataChunk({
        namedMaterial("skin", {diffuseChunk(1, 2, 3, true), textureMapChunk("skin.jpg")}),
        namedObjectChunk("first", {triangleMeshChunk({vertexListChunk({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}}),
            faceListChunk({{0, 1, 2}, {1, 3, 2}}, {materialGroupChunk("skin", {0, 1})}),
            mappingCoordsChunk({{0, 0}, {1, 0}, {0, 1}, {1, 1}})})}),
        meshObject("second")})});
    const Bytes whole = encodeChunk(file);
    const Model3ds full = load(file);
    ASSERT_EQ(full.objectCount, 2);
    int previousObjects = 0;
    for (std::size_t size = 0; size < whole.size(); ++size) {
        recordMessageBoxes();
        Model3ds model;
        EXPECT_EQ(importBytes(Bytes(whole.begin(), whole.begin() + size), model),
                  size < 6 ? Status::noPrimaryChunk : Status::damaged) << size;
        EXPECT_EQ(recordedMessages().size(), size < 6 ? 1u : 0u) << size;
        ASSERT_EQ(model.objectCount, static_cast<int>(model.objects.size()));
        ASSERT_EQ(model.materialCount, static_cast<int>(model.materials.size()));
        EXPECT_LE(model.materialCount, 1);
        EXPECT_LE(model.objectCount, 2);
        EXPECT_GE(model.objectCount, previousObjects) << size;   // a longer prefix never reads less
        previousObjects = model.objectCount;
        // Arrays match their counts (normals made for what was read), and whatever was read completely
        // equals the whole file's reading.
        for (int i = 0; i < model.objectCount; ++i) {
            const Object3ds& object = model.objects[i];
            ASSERT_EQ(object.vertices.size(), static_cast<size_t>(object.vertexCount));
            ASSERT_EQ(object.normals.size(), object.vertices.size());
            ASSERT_EQ(object.faces.size(), static_cast<size_t>(object.faceCount));
            ASSERT_EQ(object.texVertices.size(), static_cast<size_t>(object.texVertexCount));
            if (object.vertexCount == 0) continue;
            EXPECT_EQ(flat(object.vertices), flat(full.objects[i].vertices)) << size;
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
    const Model3ds meshes =
        load(primaryChunk({namedObjectChunk("outer", {nest(vertexListChunk(square), chunk3ds::triangleMesh, 5000)})}));
    ASSERT_EQ(meshes.objectCount, 1);
    EXPECT_EQ(meshes.objects[0].vertexCount, 0);
}

// Normals: the side a lone triangle faces, and the vertex-to-face index against the plain search over
// every face, bit for bit, on random meshes with faces out of range and repeated corners.
namespace {
Object3ds makeObject(std::vector<Vector3> vertices, std::vector<Face3ds> faces) {
    Object3ds object;
    object.vertices = std::move(vertices);
    object.vertexCount = static_cast<int>(object.vertices.size());
    object.faces = std::move(faces);
    object.faceCount = static_cast<int>(object.faces.size());
    return object;
}

// The search the index replaces: for every vertex, every face in order.
std::vector<Vector3> searchNormals(const Object3ds& object) {
    const int n = object.vertexCount;
    std::vector<Vector3> normals(n, Vector3{0, 0, 0});
    for (int i = 0; i < n; ++i) {
        Vector3 sum = {0, 0, 0};
        int shared = 0;
        for (const Face3ds& face : object.faces) {
            const int* k = face.vertexIndex;
            if (k[0] >= n || k[1] >= n || k[2] >= n || (k[0] != i && k[1] != i && k[2] != i)) continue;
            const Vector3 p0 = object.vertices[k[0]], p1 = object.vertices[k[1]], p2 = object.vertices[k[2]];
            const Vector3 f = cross({p0.x - p2.x, p0.y - p2.y, p0.z - p2.z}, {p2.x - p1.x, p2.y - p1.y, p2.z - p1.z});
            sum = {sum.x + f.x, sum.y + f.y, sum.z + f.z};
            ++shared;
        }
        if (shared > 0) normals[i] = normalize(divide(sum, -shared));
    }
    return normals;
}
}  // namespace

TEST(ModelNormals, CounterClockwiseTrianglesFaceTheViewerAndUnusedVerticesStayZero) {
    const std::vector<Vector3> corners = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}};
    Model3ds model;
    // Faces naming a vertex past the end contribute nothing.
    model.objects = {makeObject(corners, {{{0, 1, 2}}, {{0, 1, 9}}, {{65535, 2, 1}}}), makeObject({}, {{{0, 1, 2}}})};
    model.objectCount = 2;
    computeNormals(model);
    EXPECT_EQ(flat(model.objects[0].normals), std::vector<float>({0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(model.objects[1].normals.empty());
}

TEST(ModelNormals, IndexEqualsTheSearchOverEveryFaceBitForBit) {
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> coordinate(-1000.0f, 1000.0f);
    for (int round = 0; round < 40; ++round) {
        std::vector<Vector3> vertices(1 + random() % 200);
        for (Vector3& v : vertices) v = {coordinate(random), coordinate(random), coordinate(random)};
        // Small index ranges so that vertices share many faces and repeat in one face; every third round
        // also names vertices past the end.
        std::vector<Face3ds> faces(random() % 600);
        const unsigned range = static_cast<unsigned>(vertices.size()) + (round % 3 == 0 ? 2 : 0);
        for (Face3ds& f : faces)
            for (int& k : f.vertexIndex) k = static_cast<int>(random() % range);
        Object3ds object = makeObject(vertices, faces);
        computeObjectNormals(object);
        const std::vector<Vector3> expected = searchNormals(object);
        ASSERT_EQ(object.normals.size(), expected.size());
        EXPECT_EQ(std::memcmp(object.normals.data(), expected.data(), expected.size() * sizeof(Vector3)), 0) << round;
    }
}
