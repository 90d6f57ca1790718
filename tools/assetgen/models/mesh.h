// In-memory meshes of the generated models: y-up positions, per-vertex texture coordinates, triangles per
// material, and the primitives (lathe, loft, box, prism) the model builders assemble them from.
#pragma once
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

struct V3 {
    float x = 0, y = 0, z = 0;
};
struct V2 {
    float u = 0, v = 0;
};

inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 crossV(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float length(V3 a) { return std::sqrt(dot(a, a)); }
inline V3 unit(V3 a) {
    const float l = length(a);
    return l > 0 ? a * (1.0f / l) : V3{0, 0, 0};
}

// A local coordinate frame: local (x, y, z) lands at origin + x*ax + y*ay + z*az.
struct Frame {
    V3 origin{0, 0, 0};
    V3 ax{1, 0, 0}, ay{0, 1, 0}, az{0, 0, 1};
    V3 point(V3 p) const { return origin + ax * p.x + ay * p.y + az * p.z; }
    V3 direction(V3 d) const { return ax * d.x + ay * d.y + az * d.z; }
};
// A frame whose local y axis is the given direction (x and z chosen perpendicular to it).
Frame frameAlong(V3 origin, V3 axis);

struct MeshVertex {
    V3 position;
    V2 texCoord;
};

// Triangles of one material over their own vertex table; the writer splits a part into as many file
// objects as the 16-bit vertex and face counts need.
struct MeshPart {
    std::string name;   // object name (a number is appended when the part is split)
    int material = 0;   // index into MeshModel::materials
    std::vector<MeshVertex> vertices;
    std::vector<std::array<int, 3>> triangles;

    int add(V3 position, V2 texCoord);
    void triangle(int a, int b, int c) { triangles.push_back({a, b, c}); }
    // Adds the triangle wound so that its right-handed normal points along outward.
    void triangleFacing(int a, int b, int c, V3 outward);
};

struct MeshMaterial {
    std::string name;
    std::string textureFile;   // under data/textury/; empty for a plain colour
    uint8_t red = 255, green = 255, blue = 255;
};

struct MeshModel {
    std::vector<MeshMaterial> materials;
    std::vector<MeshPart> parts;

    int triangleCount() const;
    // Smallest box holding every vertex: min and max corners.
    void bounds(V3& low, V3& high) const;
    float radiusFromOrigin() const;
    // Appends a part of the given name and material, filled by build.
    void addPart(const char* name, int material, void (*build)(MeshPart&));
};

// A rectangle of texture space that a primitive's (0..1, 0..1) coordinates are squeezed into.
struct UvRect {
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
    V2 at(float s, float t) const { return {u0 + (u1 - u0) * s, v0 + (v1 - v0) * t}; }
};

// One point of a lathe profile: radius from the axis and height along it. Profiles run from the bottom
// to the top around the outside; a point given twice makes a hard edge there.
struct ProfilePoint {
    float radius, height;
};

// Surface of revolution about the frame's y axis; u runs around, v along the profile.
void addLathe(MeshPart& part, const Frame& frame, const std::vector<ProfilePoint>& profile, int segments,
              UvRect uv, float radiusXScale = 1.0f, float radiusZScale = 1.0f);
// Rings of equal point count joined in order (each ring a closed loop); ends closed by fans when asked.
void addLoft(MeshPart& part, const std::vector<std::vector<V3>>& rings, UvRect uv, bool capStart, bool capEnd);
// Box of the given half sizes in the frame, hard edges, every face mapped to the whole rectangle.
void addBox(MeshPart& part, const Frame& frame, V3 halfSize, UvRect uv);
// A convex polygon in the frame's xz plane extruded along y by the thickness (centred), hard edges.
void addPrism(MeshPart& part, const Frame& frame, const std::vector<V2>& outline, float thickness, UvRect uv);
// Sphere of the given radius about the frame origin (poles on the frame's y axis).
void addSphere(MeshPart& part, const Frame& frame, float radius, int segments, int rings, UvRect uv);
