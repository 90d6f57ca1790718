// The test-side 3DS writer: little-endian numbers, NUL-terminated strings, lengths from the tree.
#include "support/chunk_writer_3ds.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/chunk_ids3ds.h"

void putU16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void putU32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}
void putF32(Bytes& out, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(out, bits);
}
void putString(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

std::uint32_t encodedSize(const TestChunk& chunk) {
    std::uint32_t size = 6 + static_cast<std::uint32_t>(chunk.data.size());
    for (const TestChunk& child : chunk.children) size += encodedSize(child);
    return size + static_cast<std::uint32_t>(chunk.tail.size());
}

namespace {
void encodeInto(const TestChunk& chunk, Bytes& out) {
    putU16(out, chunk.id);
    putU32(out, chunk.length ? *chunk.length : encodedSize(chunk));
    out.insert(out.end(), chunk.data.begin(), chunk.data.end());
    for (const TestChunk& child : chunk.children) encodeInto(child, out);
    out.insert(out.end(), chunk.tail.begin(), chunk.tail.end());
}
}  // namespace

Bytes encodeChunk(const TestChunk& chunk) {
    Bytes out;
    encodeInto(chunk, out);
    return out;
}

TestChunk rawChunk(std::uint16_t id, Bytes data, std::vector<TestChunk> children) {
    TestChunk chunk;
    chunk.id = id;
    chunk.data = std::move(data);
    chunk.children = std::move(children);
    return chunk;
}

TestChunk primaryChunk(std::vector<TestChunk> children) { return rawChunk(chunk3ds::primary, {}, std::move(children)); }

TestChunk versionChunk(std::uint32_t version) {
    Bytes data;
    putU32(data, version);
    return rawChunk(chunk3ds::fileVersion, data);
}

TestChunk meshVersionChunk(std::uint32_t version) {
    Bytes data;
    putU32(data, version);
    return rawChunk(chunk3ds::meshVersion, data);
}

TestChunk meshDataChunk(std::vector<TestChunk> children, bool withMeshVersion) {
    if (withMeshVersion) children.insert(children.begin(), meshVersionChunk());
    return rawChunk(chunk3ds::meshData, {}, std::move(children));
}

TestChunk namedObjectChunk(const std::string& name, std::vector<TestChunk> children) {
    Bytes data;
    putString(data, name);
    return rawChunk(chunk3ds::namedObject, data, std::move(children));
}

TestChunk triangleMeshChunk(std::vector<TestChunk> children) {
    return rawChunk(chunk3ds::triangleMesh, {}, std::move(children));
}

TestChunk vertexListChunk(const std::vector<Vector3>& vertices) {
    Bytes data;
    putU16(data, static_cast<std::uint16_t>(vertices.size()));
    for (const Vector3& v : vertices) {
        putF32(data, v.x);
        putF32(data, v.y);
        putF32(data, v.z);
    }
    return rawChunk(chunk3ds::vertexList, data);
}

TestChunk faceListChunk(const std::vector<TestFace>& faces, std::vector<TestChunk> inner) {
    Bytes data;
    putU16(data, static_cast<std::uint16_t>(faces.size()));
    for (const TestFace& face : faces) {
        putU16(data, face.a);
        putU16(data, face.b);
        putU16(data, face.c);
        putU16(data, face.flags);
    }
    return rawChunk(chunk3ds::faceList, data, std::move(inner));
}

TestChunk materialGroupChunk(const std::string& material, const std::vector<std::uint16_t>& faces) {
    Bytes data;
    putString(data, material);
    putU16(data, static_cast<std::uint16_t>(faces.size()));
    for (std::uint16_t face : faces) putU16(data, face);
    return rawChunk(chunk3ds::faceMaterialGroup, data);
}

TestChunk smoothingGroupChunk(std::size_t faceCount) {
    Bytes data;
    for (std::size_t i = 0; i < faceCount; ++i) putU32(data, 1);
    return rawChunk(chunk3ds::smoothingGroups, data);
}

TestChunk mappingCoordsChunk(const std::vector<Vector2>& coords) {
    Bytes data;
    putU16(data, static_cast<std::uint16_t>(coords.size()));
    for (const Vector2& c : coords) {
        putF32(data, c.u);
        putF32(data, c.v);
    }
    return rawChunk(chunk3ds::mappingCoords, data);
}

TestChunk materialChunk(std::vector<TestChunk> children) { return rawChunk(chunk3ds::material, {}, std::move(children)); }

TestChunk materialNameChunk(const std::string& name) {
    Bytes data;
    putString(data, name);
    return rawChunk(chunk3ds::materialName, data);
}

TestChunk diffuseChunk(std::uint8_t red, std::uint8_t green, std::uint8_t blue, bool withGamma) {
    std::vector<TestChunk> colors = {rawChunk(chunk3ds::color24, {red, green, blue})};
    if (withGamma)
        colors.push_back(rawChunk(chunk3ds::color24Gamma, {static_cast<std::uint8_t>(255 - red),
                                                           static_cast<std::uint8_t>(255 - green),
                                                           static_cast<std::uint8_t>(255 - blue)}));
    return rawChunk(chunk3ds::diffuseColor, {}, std::move(colors));
}

TestChunk textureMapChunk(const std::string& fileName) {
    Bytes percent;
    putU16(percent, 100);
    Bytes name;
    putString(name, fileName);
    return rawChunk(chunk3ds::textureMap1, {},
                    {rawChunk(0x0030, percent), rawChunk(chunk3ds::mapFileName, name), rawChunk(0xA351, {0, 0})});
}

std::string writeTempFile(const Bytes& bytes, const std::string& stem) {
    const char* folder = std::getenv("TMPDIR");
    std::string path = std::string(folder && *folder ? folder : "/tmp") + "/" + stem + "-XXXXXX";
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0) return {};
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    close(fd);
    if (written != static_cast<ssize_t>(bytes.size())) return {};
    return buffer.data();
}

Reader3ds::Status importBytes(const Bytes& bytes, Model3ds& model, std::vector<TracedChunk3ds>* trace) {
    const std::string path = writeTempFile(bytes, "reader3ds");
    Reader3ds reader;
    reader.traceChunks(trace);
    reader.import(model, path.c_str());
    std::remove(path.c_str());
    return reader.status();
}
