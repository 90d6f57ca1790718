// Smooth normals: the single triangle, faces out of range, unused vertices, and the vertex-to-face
// index against the plain search over every face, bit for bit, on random meshes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "model/normals.h"

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
            if (k[0] >= n || k[1] >= n || k[2] >= n) continue;
            if (k[0] != i && k[1] != i && k[2] != i) continue;
            const Vector3 p0 = object.vertices[k[0]], p1 = object.vertices[k[1]], p2 = object.vertices[k[2]];
            const Vector3 f = cross({p0.x - p2.x, p0.y - p2.y, p0.z - p2.z}, {p2.x - p1.x, p2.y - p1.y, p2.z - p1.z});
            sum = {sum.x + f.x, sum.y + f.y, sum.z + f.z};
            ++shared;
        }
        if (shared > 0) normals[i] = normalize(divide(sum, -shared));
    }
    return normals;
}

void expectVector(Vector3 v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}
}  // namespace

TEST(ModelNormals, SingleTriangleFacesItsCounterClockwiseSide) {
    Object3ds object = makeObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{{0, 1, 2}}});
    computeObjectNormals(object);
    ASSERT_EQ(object.normals.size(), 3u);
    for (const Vector3& n : object.normals) expectVector(n, 0, 0, 1);
    // Wound the other way round, the triangle faces the other way.
    Object3ds flipped = makeObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{{0, 2, 1}}});
    computeObjectNormals(flipped);
    for (const Vector3& n : flipped.normals) expectVector(n, 0, 0, -1);
    // Two faces of different size: the larger one weighs more.
    Object3ds pair = makeObject({{0, 0, 0}, {4, 0, 0}, {0, 4, 0}, {0, 0, 1}}, {{{0, 1, 2}}, {{0, 3, 1}}});
    computeObjectNormals(pair);
    // Face vectors (0, 0, 16) and (0, 4, 0): twice the areas 8 and 2.
    const float len = std::sqrt(16.0f * 16.0f + 4.0f * 4.0f);
    expectVector(pair.normals[0], 0, 4 / len, 16 / len);
    expectVector(pair.normals[1], 0, 4 / len, 16 / len);
    expectVector(pair.normals[2], 0, 0, 1);
    expectVector(pair.normals[3], 0, 1, 0);
}

TEST(ModelNormals, FacesOutOfRangeContributeNothingAndUnusedVerticesAreZero) {
    Object3ds object = makeObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}},
                                  {{{0, 1, 2}}, {{0, 1, 9}}, {{65535, 2, 1}}, {{0, 2, 1000}}});
    computeObjectNormals(object);
    ASSERT_EQ(object.normals.size(), 4u);
    for (int i = 0; i < 3; ++i) expectVector(object.normals[i], 0, 0, 1);
    expectVector(object.normals[3], 0, 0, 0);
    // No faces at all, and no vertices at all.
    Object3ds bare = makeObject({{1, 1, 1}}, {});
    computeObjectNormals(bare);
    expectVector(bare.normals[0], 0, 0, 0);
    Object3ds empty = makeObject({}, {{{0, 1, 2}}});
    computeObjectNormals(empty);
    EXPECT_TRUE(empty.normals.empty());
    // A face naming one vertex twice counts once for it.
    Object3ds twice = makeObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{{0, 1, 2}}, {{0, 0, 1}}});
    computeObjectNormals(twice);
    EXPECT_EQ(std::memcmp(twice.normals.data(), searchNormals(twice).data(), 3 * sizeof(Vector3)), 0);
}

TEST(ModelNormals, IndexEqualsTheSearchOverEveryFaceBitForBit) {
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> coordinate(-1000.0f, 1000.0f);
    for (int round = 0; round < 40; ++round) {
        const int vertexCount = 1 + static_cast<int>(random() % 200);
        const int faceCount = static_cast<int>(random() % 600);
        std::vector<Vector3> vertices(vertexCount);
        for (Vector3& v : vertices) v = {coordinate(random), coordinate(random), coordinate(random)};
        std::vector<Face3ds> faces(faceCount);
        // Mostly small index ranges so that vertices share many faces; a few repeats and misses.
        const int range = round % 3 == 0 ? vertexCount + 2 : vertexCount;
        for (Face3ds& f : faces)
            for (int& k : f.vertexIndex) k = static_cast<int>(random() % range);
        Object3ds object = makeObject(vertices, faces);
        computeObjectNormals(object);
        const std::vector<Vector3> expected = searchNormals(object);
        ASSERT_EQ(object.normals.size(), expected.size());
        EXPECT_EQ(std::memcmp(object.normals.data(), expected.data(), expected.size() * sizeof(Vector3)), 0)
            << "round " << round;
    }
}

TEST(ModelNormals, ComputeNormalsCoversEveryObject) {
    Model3ds model;
    model.objects.push_back(makeObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{{0, 1, 2}}}));
    model.objects.push_back(makeObject({{0, 0, 0}, {0, 0, 1}, {1, 0, 0}}, {{{0, 1, 2}}}));
    model.objectCount = 2;
    computeNormals(model);
    expectVector(model.objects[0].normals[1], 0, 0, 1);
    expectVector(model.objects[1].normals[1], 0, 1, 0);
}
