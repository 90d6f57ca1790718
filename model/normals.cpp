// Smooth normals through a vertex-to-face index: each vertex visits only its own faces, in face order,
// so its sum is formed in the same order, and to the same bits, as a search over every face would.
#include "model/normals.h"

#include <cstddef>

namespace {
bool faceInRange(const Face3ds& face, int vertexCount) {
    for (int k : face.vertexIndex)
        if (k < 0 || k >= vertexCount) return false;
    return true;
}

// cross(P0 - P2, P2 - P1): minus the usual face normal, twice the triangle's area long.
Vector3 faceVector(const Face3ds& face, const std::vector<Vector3>& vertices) {
    const Vector3 p0 = vertices[face.vertexIndex[0]];
    const Vector3 p1 = vertices[face.vertexIndex[1]];
    const Vector3 p2 = vertices[face.vertexIndex[2]];
    const Vector3 a = {p0.x - p2.x, p0.y - p2.y, p0.z - p2.z};
    const Vector3 b = {p2.x - p1.x, p2.y - p1.y, p2.z - p1.z};
    return cross(a, b);
}

// Calls visit(vertex) once for each distinct vertex of the face: a face that names a vertex twice
// still counts once for it.
template <typename Visit>
void forEachDistinctCorner(const Face3ds& face, Visit visit) {
    const int* k = face.vertexIndex;
    visit(k[0]);
    if (k[1] != k[0]) visit(k[1]);
    if (k[2] != k[0] && k[2] != k[1]) visit(k[2]);
}

// Compressed rows: faces of vertex i are faceOf[first[i] .. first[i + 1]), in ascending face order.
struct VertexFaces {
    std::vector<int> first;
    std::vector<int> faceOf;
};

VertexFaces indexFaces(const std::vector<Face3ds>& faces, int vertexCount) {
    VertexFaces index;
    index.first.assign(static_cast<std::size_t>(vertexCount) + 1, 0);
    for (const Face3ds& face : faces)
        if (faceInRange(face, vertexCount)) forEachDistinctCorner(face, [&](int k) { ++index.first[k + 1]; });
    for (int i = 0; i < vertexCount; ++i) index.first[i + 1] += index.first[i];
    index.faceOf.resize(static_cast<std::size_t>(index.first[vertexCount]));
    std::vector<int> next(index.first.begin(), index.first.end() - 1);
    for (std::size_t f = 0; f < faces.size(); ++f)
        if (faceInRange(faces[f], vertexCount))
            forEachDistinctCorner(faces[f], [&](int k) { index.faceOf[next[k]++] = static_cast<int>(f); });
    return index;
}
}  // namespace

void computeObjectNormals(Object3ds& object) {
    const int vertexCount = static_cast<int>(object.vertices.size());
    std::vector<Vector3> faceVectors(object.faces.size(), Vector3{0, 0, 0});
    for (std::size_t f = 0; f < object.faces.size(); ++f)
        if (faceInRange(object.faces[f], vertexCount)) faceVectors[f] = faceVector(object.faces[f], object.vertices);
    const VertexFaces index = indexFaces(object.faces, vertexCount);

    object.normals.assign(static_cast<std::size_t>(vertexCount), Vector3{0, 0, 0});
    for (int i = 0; i < vertexCount; ++i) {
        const int shared = index.first[i + 1] - index.first[i];
        if (shared == 0) continue;   // unused: the division by zero would make it non-finite
        Vector3 sum = {0, 0, 0};
        for (int j = index.first[i]; j < index.first[i + 1]; ++j) {
            const Vector3 f = faceVectors[index.faceOf[j]];
            sum.x += f.x;
            sum.y += f.y;
            sum.z += f.z;
        }
        // Dividing by the negative count cancels the sign of the face vectors.
        object.normals[i] = normalize(divide(sum, static_cast<float>(-shared)));
    }
}

void computeNormals(Model3ds& model) {
    for (Object3ds& object : model.objects) computeObjectNormals(object);
}
