// Builds 3DS chunk trees as data for the reader's tests: each node is an id, its own bytes and its
// children; the length is computed from them unless a test overrides it to make a damaged file.
// Numbers are written little-endian (the tests run on little-endian machines, as 3DS files are).
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "math/vector.h"
#include "model/chunk_ids3ds.h"
#include "model/reader3ds.h"

using Bytes = std::vector<std::uint8_t>;

struct TestChunk {
    std::uint16_t id = 0;
    Bytes data;                             // the chunk's own data, before the children
    std::vector<TestChunk> children;
    Bytes tail;                             // bytes after the children (a damaged file's loose ends)
    std::optional<std::uint32_t> length;    // the length written in the header; computed when unset
};
struct TestFace {
    std::uint16_t a, b, c, flags = 7;   // edge flags, which the reader skips
};

template <typename T>
void putLittleEndian(Bytes& out, T value) {
    std::uint8_t bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.insert(out.end(), bytes, bytes + sizeof value);
}
inline Bytes stringData(const std::string& text) { return Bytes(text.c_str(), text.c_str() + text.size() + 1); }

inline Bytes encodeChunk(const TestChunk& chunk) {
    Bytes body = chunk.data;
    for (const TestChunk& child : chunk.children) {
        const Bytes encoded = encodeChunk(child);
        body.insert(body.end(), encoded.begin(), encoded.end());
    }
    body.insert(body.end(), chunk.tail.begin(), chunk.tail.end());
    Bytes out;
    putLittleEndian(out, chunk.id);
    putLittleEndian(out, chunk.length.value_or(static_cast<std::uint32_t>(6 + body.size())));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// The chunks the reader interprets, with the file's own axes (z up) for vertices.
inline TestChunk rawChunk(std::uint16_t id, Bytes data, std::vector<TestChunk> children = {}) {
    return TestChunk{id, std::move(data), std::move(children), {}, {}};
}
inline TestChunk primaryChunk(std::vector<TestChunk> children) {
    return rawChunk(chunk3ds::primary, {}, std::move(children));
}
inline TestChunk meshDataChunk(std::vector<TestChunk> children, bool withMeshVersion = true) {
    if (withMeshVersion) children.insert(children.begin(), rawChunk(chunk3ds::meshVersion, {3, 0, 0, 0}));
    return rawChunk(chunk3ds::meshData, {}, std::move(children));
}
inline TestChunk namedObjectChunk(const std::string& name, std::vector<TestChunk> children) {
    return rawChunk(chunk3ds::namedObject, stringData(name), std::move(children));
}
inline TestChunk triangleMeshChunk(std::vector<TestChunk> children) {
    return rawChunk(chunk3ds::triangleMesh, {}, std::move(children));
}
inline TestChunk materialChunk(std::vector<TestChunk> children) {
    return rawChunk(chunk3ds::material, {}, std::move(children));
}
inline TestChunk materialNameChunk(const std::string& name) {
    return rawChunk(chunk3ds::materialName, stringData(name));
}

// A chunk whose data is a 16-bit count, then the given fields of each item, then the children.
template <typename Item, typename... Field>
TestChunk countedChunk(std::uint16_t id, std::vector<TestChunk> children, const std::vector<Item>& items,
                       Field Item::*... fields) {
    Bytes data;
    putLittleEndian(data, static_cast<std::uint16_t>(items.size()));
    for (const Item& item : items) (putLittleEndian(data, item.*fields), ...);
    return rawChunk(id, data, std::move(children));
}
inline TestChunk vertexListChunk(const std::vector<Vector3>& vertices) {
    return countedChunk(chunk3ds::vertexList, {}, vertices, &Vector3::x, &Vector3::y, &Vector3::z);
}
inline TestChunk mappingCoordsChunk(const std::vector<Vector2>& coords) {
    return countedChunk(chunk3ds::mappingCoords, {}, coords, &Vector2::u, &Vector2::v);
}
inline TestChunk faceListChunk(const std::vector<TestFace>& faces, std::vector<TestChunk> inner = {}) {
    return countedChunk(chunk3ds::faceList, std::move(inner), faces, &TestFace::a, &TestFace::b, &TestFace::c,
                        &TestFace::flags);
}
inline TestChunk materialGroupChunk(const std::string& material, const std::vector<std::uint16_t>& faces) {
    Bytes data = stringData(material);
    putLittleEndian(data, static_cast<std::uint16_t>(faces.size()));
    for (std::uint16_t face : faces) putLittleEndian(data, face);
    return rawChunk(chunk3ds::faceMaterialGroup, data);
}
inline TestChunk diffuseChunk(std::uint8_t red, std::uint8_t green, std::uint8_t blue, bool withGamma = false) {
    std::vector<TestChunk> colors = {rawChunk(chunk3ds::color24, {red, green, blue})};
    if (withGamma) colors.push_back(rawChunk(chunk3ds::color24Gamma, {uint8_t(~red), uint8_t(~green), uint8_t(~blue)}));
    return rawChunk(chunk3ds::diffuseColor, {}, std::move(colors));
}
// A texture map as 3ds Max writes it: a percentage, the file name and the tiling flags.
inline TestChunk textureMapChunk(const std::string& fileName) {
    return rawChunk(chunk3ds::textureMap1, {},
                    {rawChunk(0x0030, {100, 0}), rawChunk(chunk3ds::mapFileName, stringData(fileName)),
                     rawChunk(0xA351, {0, 0})});
}

// Writes bytes to a unique temporary file and returns its path; the caller removes it.
inline std::string writeTempFile(const Bytes& bytes) {
    char path[] = "/tmp/reader3ds-XXXXXX";
    const int fd = mkstemp(path);
    const bool written = fd >= 0 && write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (fd >= 0) close(fd);
    return written ? path : "";
}
// Imports bytes with a fresh reader (chunks traced into trace when given); returns the reader's status.
inline Reader3ds::Status importBytes(const Bytes& bytes, Model3ds& model,
                                     std::vector<TracedChunk3ds>* trace = nullptr) {
    const std::string path = writeTempFile(bytes);
    Reader3ds reader;
    reader.traceChunks(trace);
    reader.import(model, path.c_str());
    std::remove(path.c_str());
    return reader.status();
}
