// Reads a 65,535-vertex, 65,535-face 3DS object and prints the milliseconds of the import and of the
// normal computation alone (medians of several runs).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "services/message_box.h"
#include "model/normals.h"
#include "model/reader3ds.h"

namespace {
using Bytes = std::vector<std::uint8_t>;
constexpr int gridColumns = 255;
constexpr int gridRows = 257;          // 255 x 257 = 65,535 vertices
constexpr int faceTarget = 65535;

void put16(Bytes& out, std::uint16_t v) { out.insert(out.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); }
void put32(Bytes& out, std::uint32_t v) {
    for (int s = 0; s < 32; s += 8) out.push_back(std::uint8_t(v >> s));
}
void putFloat(Bytes& out, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    put32(out, bits);
}
Bytes chunk(std::uint16_t id, const Bytes& body) {
    Bytes out;
    put16(out, id);
    put32(out, static_cast<std::uint32_t>(body.size() + 6));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}
Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A rolling height field, z up as in the file.
Bytes terrainFile() {
    Bytes vertices, coords, faces;
    put16(vertices, gridColumns * gridRows);
    put16(coords, gridColumns * gridRows);
    for (int r = 0; r < gridRows; ++r)
        for (int c = 0; c < gridColumns; ++c) {
            putFloat(vertices, c * 10.0f);
            putFloat(vertices, r * 10.0f);
            putFloat(vertices, 30.0f * static_cast<float>((c * 7 + r * 13) % 17) / 17.0f);
            putFloat(coords, c / 16.0f);
            putFloat(coords, r / 16.0f);
        }
    put16(faces, faceTarget);
    int written = 0;
    for (int r = 0; r + 1 < gridRows && written < faceTarget; ++r)
        for (int c = 0; c + 1 < gridColumns && written < faceTarget; ++c) {
            const int a = r * gridColumns + c, b = a + 1, d = a + gridColumns, e = d + 1;
            const int tris[2][3] = {{a, b, e}, {a, e, d}};
            for (const auto& t : tris) {
                if (written == faceTarget) break;
                for (int k : t) put16(faces, static_cast<std::uint16_t>(k));
                put16(faces, 7);
                ++written;
            }
        }
    Bytes version;
    put32(version, 3);
    const Bytes mesh = chunk(0x4100, join({chunk(0x4110, vertices), chunk(0x4120, faces), chunk(0x4140, coords)}));
    Bytes name = {'t', 'e', 'r', 'r', 'a', 'i', 'n', 0};
    const Bytes object = chunk(0x4000, join({name, mesh}));
    return chunk(0x4D4D, join({chunk(0x0002, version), chunk(0x3D3D, join({chunk(0x3D3E, version), object}))}));
}

double milliseconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int main() {
    setMessageBoxSink(printMessageBoxToStderr);
    const Bytes file = terrainFile();
    const std::string path = "/tmp/reader3ds_bench_" + std::to_string(static_cast<long>(std::chrono::steady_clock::now().time_since_epoch().count())) + ".3ds";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::fclose(out);

    constexpr int runs = 9;
    std::vector<double> importTimes, normalTimes;
    int vertices = 0, faces = 0;
    for (int run = 0; run < runs; ++run) {
        Model3ds model;
        Reader3ds reader;
        auto start = std::chrono::steady_clock::now();
        reader.import(model, path.c_str());
        importTimes.push_back(milliseconds(start));
        if (reader.status() != Reader3ds::Status::ok || model.objectCount != 1) {
            std::fprintf(stderr, "import failed\n");
            std::remove(path.c_str());
            return 1;
        }
        vertices = model.objects[0].vertexCount;
        faces = model.objects[0].faceCount;
        start = std::chrono::steady_clock::now();
        computeNormals(model);
        normalTimes.push_back(milliseconds(start));
    }
    std::remove(path.c_str());
    const double importMs = median(importTimes), normalsMs = median(normalTimes);
    std::printf("reader3ds: %d vertices, %d faces, %zu bytes, median of %d runs\n", vertices, faces, file.size(), runs);
    std::printf("  import (read + normals): %8.2f ms\n", importMs);
    std::printf("  reading alone:           %8.2f ms\n", importMs - normalsMs);
    std::printf("  normals alone:           %8.2f ms\n", normalsMs);
    return 0;
}
