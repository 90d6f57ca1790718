// Encodes MeshModel records as 3DS files: chunks are opened, filled and closed by patching their length.
#include "models/writer3ds.h"

#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "common/image_writers.h"

namespace {

// Little-endian byte sink with a stack of open chunks whose lengths are patched when they close.
class ChunkSink {
public:
    void u8(uint8_t v) { bytes.push_back(v); }
    void u16(uint16_t v) { u8(v & 0xFF), u8(v >> 8); }
    void u32(uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); }
    void f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void text(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        u8(0);
    }
    void open(uint16_t id) {
        open_.push_back(bytes.size());
        u16(id);
        u32(0);
    }
    void close() {
        const size_t start = open_.back();
        open_.pop_back();
        const uint32_t len = static_cast<uint32_t>(bytes.size() - start);
        for (int i = 0; i < 4; ++i) bytes[start + 2 + i] = static_cast<uint8_t>(len >> (8 * i));
    }
    std::vector<uint8_t> bytes;

private:
    std::vector<size_t> open_;
};

// Names are short in 3DS tools; the reader's fields hold 254 characters, which is far more than used.
std::string fieldText(const std::string& s) { return s.substr(0, 254); }

void writeMaterial(ChunkSink& out, const MeshMaterial& m) {
    out.open(0xAFFF);
    out.open(0xA000);
    out.text(fieldText(m.name));
    out.close();
    out.open(0xA020);
    out.open(0x0011);   // 24-bit colour
    out.u8(m.red), out.u8(m.green), out.u8(m.blue);
    out.close();
    out.close();
    if (!m.textureFile.empty()) {
        out.open(0xA200);
        out.open(0xA300);
        out.text(fieldText(m.textureFile));
        out.close();
        out.close();
    }
    out.close();
}

void writeObject(ChunkSink& out, const FileObject3ds& o, const std::string& materialName, bool textured) {
    out.open(0x4000);
    out.text(fieldText(o.name));
    out.open(0x4100);
    out.open(0x4110);
    out.u16(static_cast<uint16_t>(o.vertices.size()));
    for (const MeshVertex& v : o.vertices) out.f32(v.position.x), out.f32(-v.position.z), out.f32(v.position.y);
    out.close();
    if (textured) {
        out.open(0x4140);
        out.u16(static_cast<uint16_t>(o.vertices.size()));
        for (const MeshVertex& v : o.vertices) out.f32(v.texCoord.u), out.f32(v.texCoord.v);
        out.close();
    }
    out.open(0x4120);
    out.u16(static_cast<uint16_t>(o.faces.size()));
    for (const auto& f : o.faces) out.u16(f[0]), out.u16(f[1]), out.u16(f[2]), out.u16(7);   // all edges visible
    out.open(0x4130);
    out.text(fieldText(materialName));
    out.u16(static_cast<uint16_t>(o.faces.size()));
    for (size_t i = 0; i < o.faces.size(); ++i) out.u16(static_cast<uint16_t>(i));
    out.close();
    out.close();
    out.close();
    out.close();
}

}  // namespace

std::vector<FileObject3ds> splitPart(const MeshPart& part, int maxElements) {
    std::vector<FileObject3ds> objects;
    const int vertexCount = static_cast<int>(part.vertices.size());
    if (vertexCount <= maxElements && static_cast<int>(part.triangles.size()) <= maxElements) {
        // Fits as it is: the vertex order stays the builder's (the terrain tiles rely on it).
        objects.emplace_back();
        objects[0].name = part.name;
        objects[0].material = part.material;
        objects[0].vertices = part.vertices;
        for (const auto& t : part.triangles)
            objects[0].faces.push_back({static_cast<uint16_t>(t[0]), static_cast<uint16_t>(t[1]), static_cast<uint16_t>(t[2])});
        return objects;
    }
    std::unordered_map<int, int> remap;
    auto startObject = [&]() {
        objects.emplace_back();
        objects.back().material = part.material;
        remap.clear();
    };
    startObject();
    for (const auto& t : part.triangles) {
        int fresh = 0;
        for (int c = 0; c < 3; ++c) fresh += remap.count(t[c]) ? 0 : 1;
        FileObject3ds* o = &objects.back();
        if (static_cast<int>(o->vertices.size()) + fresh > maxElements || static_cast<int>(o->faces.size()) + 1 > maxElements) {
            startObject();
            o = &objects.back();
        }
        std::array<uint16_t, 3> face{};
        for (int c = 0; c < 3; ++c) {
            auto it = remap.find(t[c]);
            if (it == remap.end()) {
                it = remap.emplace(t[c], static_cast<int>(o->vertices.size())).first;
                o->vertices.push_back(part.vertices[t[c]]);
            }
            face[c] = static_cast<uint16_t>(it->second);
        }
        o->faces.push_back(face);
    }
    for (size_t i = 0; i < objects.size(); ++i)
        objects[i].name = objects.size() == 1 ? part.name : part.name + std::to_string(i + 1);
    return objects;
}

std::vector<uint8_t> encode3ds(const MeshModel& model) {
    ChunkSink out;
    out.open(0x4D4D);
    out.open(0x0002);
    out.u32(3);
    out.close();
    out.open(0x3D3D);
    out.open(0x3D3E);   // mesh version: the reader consumes the first child of the mesh data unread
    out.u32(3);
    out.close();
    for (const MeshMaterial& m : model.materials) writeMaterial(out, m);
    for (const MeshPart& part : model.parts) {
        const MeshMaterial& m = model.materials[part.material];
        for (const FileObject3ds& o : splitPart(part)) writeObject(out, o, m.name, !m.textureFile.empty());
    }
    out.close();
    out.close();
    return out.bytes;
}

bool write3ds(const std::string& path, const MeshModel& model) {
    const std::vector<uint8_t> bytes = encode3ds(model);
    if (!makeParentFolders(path)) {
        std::fprintf(stderr, "assetgen: cannot create the folder of %s\n", path.c_str());
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) std::fprintf(stderr, "assetgen: writing %s failed\n", path.c_str());
    return ok && closed;
}
