// libFuzzer target for the 3DS reader: any bytes as a file, read from memory; the model that results
// must keep its counts equal to its arrays and its names terminated.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/message_box.h"
#include "model/reader3ds.h"

namespace {
void ignoreMessage(const char*, const char*) {}

void check(bool condition) {
    if (!condition) std::abort();
}

void checkModel(const Model3ds& model) {
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
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;   // fmemopen takes no empty buffer; the unit tests read an empty file
    setMessageBoxSink(ignoreMessage);
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!stream) return 0;
    Model3ds model;
    Reader3ds reader;
    reader.importStream(model, stream, "fuzz.3ds");   // the reader closes the stream
    checkModel(model);
    return 0;
}
