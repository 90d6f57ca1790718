// Builds 3DS chunk trees as data for the reader's tests: each node is an id, its own bytes and its
// children; the length is computed from them unless a test overrides it to make a damaged file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "math/vector.h"
#include "model/reader3ds.h"

using Bytes = std::vector<std::uint8_t>;

struct TestChunk {
    std::uint16_t id = 0;
    Bytes data;                             // the chunk's own data, before the children
    std::vector<TestChunk> children;
    Bytes tail;                             // bytes after the children (a damaged file's loose ends)
    std::optional<std::uint32_t> length;    // the length written in the header; computed when unset
};

Bytes encodeChunk(const TestChunk& chunk);
std::uint32_t encodedSize(const TestChunk& chunk);   // bytes the chunk really occupies

void putU16(Bytes& out, std::uint16_t value);
void putU32(Bytes& out, std::uint32_t value);
void putF32(Bytes& out, float value);
void putString(Bytes& out, const std::string& text);   // with its NUL

struct TestFace {
    std::uint16_t a, b, c;
    std::uint16_t flags = 7;
};

// The chunks the reader interprets, with the file's own axes (z up) for vertices.
TestChunk primaryChunk(std::vector<TestChunk> children);
TestChunk versionChunk(std::uint32_t version);
TestChunk meshDataChunk(std::vector<TestChunk> children, bool withMeshVersion = true);
TestChunk meshVersionChunk(std::uint32_t version = 3);
TestChunk namedObjectChunk(const std::string& name, std::vector<TestChunk> children);
TestChunk triangleMeshChunk(std::vector<TestChunk> children);
TestChunk vertexListChunk(const std::vector<Vector3>& vertices);
TestChunk faceListChunk(const std::vector<TestFace>& faces, std::vector<TestChunk> inner = {});
TestChunk materialGroupChunk(const std::string& material, const std::vector<std::uint16_t>& faces);
TestChunk smoothingGroupChunk(std::size_t faceCount);
TestChunk mappingCoordsChunk(const std::vector<Vector2>& coords);
TestChunk materialChunk(std::vector<TestChunk> children);
TestChunk materialNameChunk(const std::string& name);
TestChunk diffuseChunk(std::uint8_t red, std::uint8_t green, std::uint8_t blue, bool withGamma = false);
TestChunk textureMapChunk(const std::string& fileName);
TestChunk rawChunk(std::uint16_t id, Bytes data, std::vector<TestChunk> children = {});

// A unique path under the system's temporary folder; the file is removed by the test that wrote it.
std::string writeTempFile(const Bytes& bytes, const std::string& stem);

// Writes bytes to a temporary file, imports it with a fresh reader (chunks traced into trace when
// given) and removes the file. Returns the reader's status.
Reader3ds::Status importBytes(const Bytes& bytes, Model3ds& model, std::vector<TracedChunk3ds>* trace = nullptr);
