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

struct TestFace {
    std::uint16_t a, b, c;
};

// The chunks the reader interprets, with the file's own axes (z up) for vertices.
TestChunk rawChunk(std::uint16_t id, Bytes data, std::vector<TestChunk> children = {});
TestChunk primaryChunk(std::vector<TestChunk> children);
TestChunk meshDataChunk(std::vector<TestChunk> children, bool withMeshVersion = true);
TestChunk namedObjectChunk(const std::string& name, std::vector<TestChunk> children);
TestChunk triangleMeshChunk(std::vector<TestChunk> children);
TestChunk vertexListChunk(const std::vector<Vector3>& vertices);
TestChunk faceListChunk(const std::vector<TestFace>& faces, std::vector<TestChunk> inner = {});
TestChunk materialGroupChunk(const std::string& material, const std::vector<std::uint16_t>& faces);
TestChunk mappingCoordsChunk(const std::vector<Vector2>& coords);
TestChunk materialChunk(std::vector<TestChunk> children);
TestChunk materialNameChunk(const std::string& name);
TestChunk diffuseChunk(std::uint8_t red, std::uint8_t green, std::uint8_t blue, bool withGamma = false);
TestChunk textureMapChunk(const std::string& fileName);

// Writes bytes to a unique temporary file and returns its path; the caller removes it.
std::string writeTempFile(const Bytes& bytes);
// Imports bytes with a fresh reader (chunks traced into trace when given); returns the reader's status.
Reader3ds::Status importBytes(const Bytes& bytes, Model3ds& model, std::vector<TracedChunk3ds>* trace = nullptr);
