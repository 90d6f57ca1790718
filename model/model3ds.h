// The records a 3DS file is read into: materials, mesh objects with their per-vertex arrays, and the
// chunk bookkeeping record of the reader.
#pragma once

#include <cstdint>
#include <vector>

#include "math/vector.h"

// Names and file names inside the records are fixed fields: 254 characters and the NUL.
constexpr int nameField3ds = 255;

// One chunk at one nesting level while it is being read.
struct Chunk3ds {
    std::uint16_t id = 0;
    std::uint32_t length = 0;     // bytes, the whole chunk with its 6-byte header, as the file says
    std::uint32_t bytesRead = 0;  // bytes of this chunk consumed so far, header included
};

struct Face3ds {
    int vertexIndex[3];   // selects the vertex, its normal and its texture coordinate alike
};

struct Material3ds {
    char name[nameField3ds];
    char textureFile[nameField3ds];   // relative to data/textury/; empty when there is no texture map
    unsigned char color[3];           // diffuse red, green, blue
};

struct Object3ds {
    int vertexCount = 0;
    int faceCount = 0;
    int texVertexCount = 0;
    int materialIndex = 0;   // -1 when the last material group names no existing material
    bool hasTexture = false;
    char name[nameField3ds] = {};
    std::vector<Vector3> vertices;     // vertexCount positions, y up
    std::vector<Vector3> normals;      // vertexCount unit normals
    std::vector<Vector2> texVertices;  // texVertexCount coordinates, empty without mapping coordinates
    std::vector<Face3ds> faces;        // faceCount triangles
};

// The counts always equal the lengths of the arrays; the reader appends and then addresses by index.
struct Model3ds {
    int objectCount = 0;
    int materialCount = 0;
    std::vector<Material3ds> materials;
    std::vector<Object3ds> objects;

    void clear();
};
