// Checks the fuzz targets share: a failed check aborts, which libFuzzer reports as a finding.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/model3ds.h"

inline void check(bool condition) {
    if (!condition) std::abort();
}

// Reads every byte of width x height pixels, so AddressSanitizer sees a buffer shorter than claimed; the
// sum goes to a volatile so the reads are not optimised away.
inline volatile uint64_t touchedSum;
inline void touchPixels(const uint8_t* pixels, int32_t width, int32_t height, int32_t bytesPerPixel) {
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(bytesPerPixel);
    uint64_t sum = 0;
    for (size_t i = 0; i < count; ++i) sum += pixels[i];
    touchedSum = sum;
}

// A model as the reader leaves it, however damaged its file: counts equal to arrays, names terminated.
inline void checkModel(const Model3ds& model) {
    check(model.objectCount == static_cast<int>(model.objects.size()));
    check(model.materialCount == static_cast<int>(model.materials.size()));
    for (const Object3ds& object : model.objects) {
        check(object.vertexCount == static_cast<int>(object.vertices.size()));
        check(object.vertexCount == static_cast<int>(object.normals.size()));
        check(object.faceCount == static_cast<int>(object.faces.size()));
        check(object.texVertexCount == static_cast<int>(object.texVertices.size()));
        check(std::memchr(object.name, 0, sizeof object.name) != nullptr);
    }
    for (const Material3ds& material : model.materials) {
        check(std::memchr(material.name, 0, sizeof material.name) != nullptr);
        check(std::memchr(material.textureFile, 0, sizeof material.textureFile) != nullptr);
    }
}

// The input as a read-only file, or null: fmemopen takes no empty buffer (the unit tests read empty files).
inline std::FILE* openInput(const uint8_t* data, size_t size) {
    return size == 0 ? nullptr : fmemopen(const_cast<uint8_t*>(data), size, "rb");
}

inline void ignoreMessage(const char*, const char*) {}
