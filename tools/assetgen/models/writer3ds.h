// A 3DS writer for the generated models: the chunk subset the demo's reader understands, z up.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "models/mesh.h"

// The largest vertex and face count of one file object (16-bit counts and indices).
constexpr int maxObjectElements3ds = 65535;

// One file object: a slice of a mesh part whose counts fit the 16-bit fields.
struct FileObject3ds {
    std::string name;
    int material = 0;
    std::vector<MeshVertex> vertices;
    std::vector<std::array<uint16_t, 3>> faces;
};

// Splits a part into file objects of at most maxElements vertices and faces each, in triangle order.
std::vector<FileObject3ds> splitPart(const MeshPart& part, int maxElements = maxObjectElements3ds);

// The bytes of a whole 3DS file: primary chunk, version 3, mesh data (mesh version first, then every
// material, then every object with its vertices, mapping coordinates and face list with the material
// group inside). Positions are turned from y up to the file's z up: (x, y, z) is stored as (x, -z, y).
std::vector<uint8_t> encode3ds(const MeshModel& model);

// Writes encode3ds(model) to path; false with a message on standard error when that fails.
bool write3ds(const std::string& path, const MeshModel& model);
