// The test-side 3DS writer: little-endian numbers, NUL-terminated strings, lengths from the tree.
#include "support/chunk_writer_3ds.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "model/chunk_ids3ds.h"

namespace {
template <typename T>
void put(Bytes& out, T value) {
    std::uint8_t bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);   // the tests run on little-endian machines, as 3DS files are
    out.insert(out.end(), bytes, bytes + sizeof value);
}
Bytes stringData(const std::string& text) { return Bytes(text.c_str(), text.c_str() + text.size() + 1); }
}  // namespace

Bytes encodeChunk(const TestChunk& chunk) {
    Bytes body = chunk.data;
    for (const TestChunk& child : chunk.children) {
        const Bytes encoded = encodeChunk(child);
        body.insert(body.end(), encoded.begin(), encoded.end());
    }
    body.insert(body.end(), chunk.tail.begin(), chunk.tail.end());
    Bytes out;
    put(out, chunk.id);
    put(out, chunk.length.value_or(static_cast<std::uint32_t>(6 + body.size())));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

TestChunk rawChunk(std::uint16_t id, Bytes data, std::vector<TestChunk> children) {
    return TestChunk{id, std::move(data), std::move(children), {}, {}};
}
TestChunk primaryChunk(std::vector<TestChunk> children) { return rawChunk(chunk3ds::primary, {}, std::move(children)); }
TestChunk meshDataChunk(std::vector<TestChunk> children, bool withMeshVersion) {
    if (withMeshVersion) children.insert(children.begin(), rawChunk(chunk3ds::meshVersion, {3, 0, 0, 0}));
    return rawChunk(chunk3ds::meshData, {}, std::move(children));
}
TestChunk namedObjectChunk(const std::string& name, std::vector<TestChunk> children) {
    return rawChunk(chunk3ds::namedObject, stringData(name), std::move(children));
}
TestChunk triangleMeshChunk(std::vector<TestChunk> children) {
    return rawChunk(chunk3ds::triangleMesh, {}, std::move(children));
}
TestChunk materialChunk(std::vector<TestChunk> children) {
    return rawChunk(chunk3ds::material, {}, std::move(children));
}
TestChunk materialNameChunk(const std::string& name) { return rawChunk(chunk3ds::materialName, stringData(name)); }

TestChunk vertexListChunk(const std::vector<Vector3>& vertices) {
    Bytes data;
    put(data, static_cast<std::uint16_t>(vertices.size()));
    for (const Vector3& v : vertices)
        for (float f : {v.x, v.y, v.z}) put(data, f);
    return rawChunk(chunk3ds::vertexList, data);
}

TestChunk faceListChunk(const std::vector<TestFace>& faces, std::vector<TestChunk> inner) {
    Bytes data;
    put(data, static_cast<std::uint16_t>(faces.size()));
    for (const TestFace& face : faces)
        for (std::uint16_t field : {face.a, face.b, face.c, std::uint16_t{7}}) put(data, field);   // 7: edge flags
    return rawChunk(chunk3ds::faceList, data, std::move(inner));
}

TestChunk materialGroupChunk(const std::string& material, const std::vector<std::uint16_t>& faces) {
    Bytes data = stringData(material);
    put(data, static_cast<std::uint16_t>(faces.size()));
    for (std::uint16_t face : faces) put(data, face);
    return rawChunk(chunk3ds::faceMaterialGroup, data);
}

TestChunk mappingCoordsChunk(const std::vector<Vector2>& coords) {
    Bytes data;
    put(data, static_cast<std::uint16_t>(coords.size()));
    for (const Vector2& c : coords)
        for (float f : {c.u, c.v}) put(data, f);
    return rawChunk(chunk3ds::mappingCoords, data);
}

TestChunk diffuseChunk(std::uint8_t red, std::uint8_t green, std::uint8_t blue, bool withGamma) {
    std::vector<TestChunk> colors = {rawChunk(chunk3ds::color24, {red, green, blue})};
    if (withGamma) colors.push_back(rawChunk(chunk3ds::color24Gamma, {uint8_t(~red), uint8_t(~green), uint8_t(~blue)}));
    return rawChunk(chunk3ds::diffuseColor, {}, std::move(colors));
}

// A texture map as 3ds Max writes it: a percentage, the file name and the tiling flags.
TestChunk textureMapChunk(const std::string& fileName) {
    return rawChunk(chunk3ds::textureMap1, {},
                    {rawChunk(0x0030, {100, 0}), rawChunk(chunk3ds::mapFileName, stringData(fileName)),
                     rawChunk(0xA351, {0, 0})});
}

std::string writeTempFile(const Bytes& bytes) {
    char path[] = "/tmp/reader3ds-XXXXXX";
    const int fd = mkstemp(path);
    const bool written = fd >= 0 && write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (fd >= 0) close(fd);
    return written ? path : "";
}

Reader3ds::Status importBytes(const Bytes& bytes, Model3ds& model, std::vector<TracedChunk3ds>* trace) {
    const std::string path = writeTempFile(bytes);
    Reader3ds reader;
    reader.traceChunks(trace);
    reader.import(model, path.c_str());
    std::remove(path.c_str());
    return reader.status();
}
