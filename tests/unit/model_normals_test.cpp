// Smooth normals: the side a lone triangle faces, and the vertex-to-face index against the plain search
// over every face, bit for bit, on random meshes with faces out of range and repeated corners.
#include <gtest/gtest.h>

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

std::vector<float> flat(const std::vector<Vector3>& vectors) {
    std::vector<float> values;
    for (const Vector3& v : vectors) values.insert(values.end(), {v.x, v.y, v.z});
    return values;
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
    model.objects = {makeObject(corners, {{{0, 1, 2}}, {{0, 1, 9}}, {{65535, 2, 1}}}),
                     makeObject(corners, {{{0, 2, 1}}}), makeObject({}, {{{0, 1, 2}}})};
    model.objectCount = 3;
    computeNormals(model);
    EXPECT_EQ(flat(model.objects[0].normals), std::vector<float>({0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(flat(model.objects[1].normals), std::vector<float>({0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0}));
    EXPECT_TRUE(model.objects[2].normals.empty());
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
