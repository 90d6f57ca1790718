// The 3DS chunk reader: three dispatch levels over one parent chunk each, every read bounded by what is
// left of the chunk being read and of the file.
#include "model/reader3ds.h"

#include <cstring>

#include "services/message_box.h"
#include "model/chunk_ids3ds.h"
#include "model/normals.h"

namespace {
const char* const fatalCaption = "Kritická chxba TorEnginu";
constexpr std::uint32_t headerSize = 6;   // bytes: 16-bit id, 32-bit length

std::uint16_t getU16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t getU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
float getF32(const unsigned char* p) {
    const std::uint32_t bits = getU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
std::uint32_t remainder(const Chunk3ds& chunk) {
    return chunk.bytesRead < chunk.length ? chunk.length - chunk.bytesRead : 0;
}

// The message texts hold at most 255 characters: a long path is cut, never written past the text.
void showPathMessage(const char* format, const char* path) {
    char text[256];
    std::snprintf(text, sizeof text, format, path ? path : "");
    showMessageBox(text, fatalCaption);
}
}  // namespace

Reader3ds::~Reader3ds() { closeFile(); }

void Reader3ds::closeFile() {
    if (file) std::fclose(file);
    file = nullptr;
}

void Reader3ds::import(Model3ds& target, const char* path) {
    std::FILE* stream = path ? std::fopen(path, "rb") : nullptr;
    if (!stream) {
        showPathMessage("Unable to find the file: %s!", path);
        result = Status::fileNotFound;
        return;
    }
    importStream(target, stream, path);
}

void Reader3ds::importStream(Model3ds& target, std::FILE* stream, const char* path) {
    closeFile();
    if (!stream) {
        showPathMessage("Unable to find the file: %s!", path);
        result = Status::fileNotFound;
        return;
    }
    file = stream;
    model = &target;
    filePosition = 0;
    fileSize = 0;
    damagedFile = false;
    versionWarned = false;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        if (size > 0) fileSize = static_cast<std::uint64_t>(size);
    }
    std::rewind(file);

    current = Chunk3ds{};
    if (!readHeader(current, nullptr) || current.id != chunk3ds::primary) {
        showPathMessage("Unable to load PRIMARY chuck from file: %s!", path);
        result = Status::noPrimaryChunk;
        closeFile();
        model = nullptr;
        return;
    }
    dispatch(current, Level::top, 0, 0);
    record(current, 0);
    computeNormals(target);
    result = damagedFile ? Status::damaged : Status::ok;
    closeFile();
    current = Chunk3ds{};
    scratch = Chunk3ds{};
    model = nullptr;
}

void Reader3ds::record(const Chunk3ds& chunk, int depth) {
    if (trace) trace->push_back({depth, chunk});
}

// The parent grows by what each child actually consumed; that is what lets the face list's inner
// chunks be read as its siblings and still bring the parent out exactly at its length.
void Reader3ds::dispatch(Chunk3ds& parent, Level level, int depth, int target) {
    while (!damagedFile && parent.bytesRead < parent.length) {
        Chunk3ds child;
        if (!readHeader(child, &parent)) return;
        if (level == Level::top) handleTop(child, depth + 1);
        else if (level == Level::object) handleObject(child, depth + 1, target);
        else handleMaterial(child, depth + 1, target);
        record(child, depth + 1);
        parent.bytesRead += child.bytesRead;   // child.bytesRead never exceeds the parent's remainder
    }
}

void Reader3ds::handleTop(Chunk3ds& chunk, int depth) {
    switch (chunk.id) {
    case chunk3ds::fileVersion: readVersion(chunk); break;
    case chunk3ds::meshData: readMeshData(chunk, depth); break;
    case chunk3ds::namedObject: readNamedObject(chunk, depth); break;
    case chunk3ds::material: readMaterial(chunk, depth); break;
    default: skipRest(chunk); break;
    }
}

void Reader3ds::handleObject(Chunk3ds& chunk, int depth, int objectIndex) {
    Object3ds& object = model->objects[objectIndex];
    switch (chunk.id) {
    case chunk3ds::triangleMesh:
        if (depth < maxChunkDepth3ds) dispatch(chunk, Level::object, depth, objectIndex);
        else skipRest(chunk);
        break;
    case chunk3ds::vertexList: readVertices(chunk, object); break;
    case chunk3ds::faceList: readFaces(chunk, object); break;
    case chunk3ds::faceMaterialGroup: readMaterialGroup(chunk, object); break;
    case chunk3ds::mappingCoords: readMappingCoords(chunk, object); break;
    default: skipRest(chunk); break;
    }
}

void Reader3ds::handleMaterial(Chunk3ds& chunk, int depth, int materialIndex) {
    Material3ds& material = model->materials[materialIndex];
    switch (chunk.id) {
    case chunk3ds::materialName: readRestIntoText(chunk, material.name); break;
    case chunk3ds::diffuseColor: readColor(chunk, depth, material); break;
    case chunk3ds::textureMap1:
        if (depth < maxChunkDepth3ds) dispatch(chunk, Level::material, depth, materialIndex);
        else skipRest(chunk);
        break;
    case chunk3ds::mapFileName: readRestIntoText(chunk, material.textureFile); break;
    default: skipRest(chunk); break;
    }
}

void Reader3ds::readVersion(Chunk3ds& chunk) {
    unsigned char bytes[4] = {};
    readRestInto(chunk, bytes, sizeof bytes);
    if (damagedFile || getU32(bytes) <= 3) return;
    // One warning per file: a hostile file with thousands of version chunks must not stack up boxes.
    if (!versionWarned) showMessageBox("This 3DS file is over version 3 so it may load incorrectly", "Warning");
    versionWarned = true;
}

// The first child is consumed uninterpreted as the mesh version, whatever its id.
void Reader3ds::readMeshData(Chunk3ds& chunk, int depth) {
    if (depth >= maxChunkDepth3ds) {
        skipRest(chunk);
        return;
    }
    if (remainder(chunk) > 0) {
        scratch = Chunk3ds{};
        if (!readHeader(scratch, &chunk)) return;
        skipRest(scratch);
        record(scratch, depth + 1);
        chunk.bytesRead += scratch.bytesRead;
    }
    dispatch(chunk, Level::top, depth, 0);
}

void Reader3ds::readNamedObject(Chunk3ds& chunk, int depth) {
    if (depth >= maxChunkDepth3ds || model->objectCount >= maxObjects3ds) {
        skipRest(chunk);
        return;
    }
    model->objects.push_back(Object3ds{});
    model->objectCount = static_cast<int>(model->objects.size());
    const int index = model->objectCount - 1;
    readString(chunk, model->objects[index].name);
    dispatch(chunk, Level::object, depth, index);
}

void Reader3ds::readMaterial(Chunk3ds& chunk, int depth) {
    if (depth >= maxChunkDepth3ds || model->materialCount >= maxMaterials3ds) {
        skipRest(chunk);
        return;
    }
    model->materials.push_back(Material3ds{});
    model->materialCount = static_cast<int>(model->materials.size());
    dispatch(chunk, Level::material, depth, model->materialCount - 1);
}

// The colour is the first sub-chunk; a second one (the gamma-corrected colour) is met by the material
// dispatch as a sibling and skipped.
void Reader3ds::readColor(Chunk3ds& chunk, int depth, Material3ds& material) {
    if (remainder(chunk) == 0) return;
    scratch = Chunk3ds{};
    if (!readHeader(scratch, &chunk)) return;
    readRestInto(scratch, material.color, sizeof material.color);
    record(scratch, depth + 1);
    chunk.bytesRead += scratch.bytesRead;
}

// File axes are z up; ours are y up: (x, y, z) becomes (x, z, -y), which keeps the handedness.
void Reader3ds::readVertices(Chunk3ds& chunk, Object3ds& object) {
    std::uint32_t count = 0;
    if (!readCount(chunk, 12, count)) return;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(count) * 12);
    if (!readBytes(chunk, bytes.data(), static_cast<std::uint32_t>(bytes.size()))) return;
    object.vertices.assign(count, Vector3{});
    object.vertexCount = static_cast<int>(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char* p = &bytes[static_cast<std::size_t>(i) * 12];
        object.vertices[i] = {getF32(p), getF32(p + 8), -getF32(p + 4)};
    }
    skipRest(chunk);
}

// Only the count and the face records are consumed: the chunks stored after them inside the face list
// are read next by the object dispatch, as siblings of the face list.
void Reader3ds::readFaces(Chunk3ds& chunk, Object3ds& object) {
    std::uint32_t count = 0;
    if (!readCount(chunk, 8, count)) return;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(count) * 8);
    if (!readBytes(chunk, bytes.data(), static_cast<std::uint32_t>(bytes.size()))) return;
    object.faces.assign(count, Face3ds{});
    object.faceCount = static_cast<int>(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char* p = &bytes[static_cast<std::size_t>(i) * 8];
        for (int corner = 0; corner < 3; ++corner) object.faces[i].vertexIndex[corner] = getU16(p + 2 * corner);
        // p + 6 holds the edge and visibility flags, which nothing uses
    }
}

// The object takes the material of its last group; hasTexture, once set, stays set.
void Reader3ds::readMaterialGroup(Chunk3ds& chunk, Object3ds& object) {
    char name[nameField3ds] = {};
    readString(chunk, name);
    if (damagedFile) return;
    for (int i = 0; i < model->materialCount; ++i) {
        const Material3ds& material = model->materials[i];
        if (std::strcmp(material.name, name) != 0) {
            object.materialIndex = -1;
            continue;
        }
        object.materialIndex = i;
        if (material.textureFile[0] != '\0') object.hasTexture = true;
        break;
    }
    skipRest(chunk);   // the face numbers are not used
}

void Reader3ds::readMappingCoords(Chunk3ds& chunk, Object3ds& object) {
    std::uint32_t count = 0;
    if (!readCount(chunk, 8, count)) return;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(count) * 8);
    if (!readBytes(chunk, bytes.data(), static_cast<std::uint32_t>(bytes.size()))) return;
    object.texVertices.assign(count, Vector2{});
    object.texVertexCount = static_cast<int>(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char* p = &bytes[static_cast<std::size_t>(i) * 8];
        object.texVertices[i] = {getF32(p), getF32(p + 4)};   // v stays as stored, not flipped
    }
    skipRest(chunk);
}

// A header must fit the parent's remainder, and the child's declared length must cover its own header
// and fit that remainder; anything else is damage, and reading of the file ends.
bool Reader3ds::readHeader(Chunk3ds& chunk, const Chunk3ds* parent) {
    unsigned char bytes[headerSize];
    chunk = Chunk3ds{};
    chunk.length = headerSize;   // bounds the header read itself
    if (parent && remainder(*parent) < headerSize) {
        damagedFile = true;
        return false;
    }
    if (!readBytes(chunk, bytes, headerSize)) return false;
    chunk.id = getU16(bytes);
    chunk.length = getU32(bytes + 2);
    if (chunk.length < headerSize || (parent && chunk.length > remainder(*parent))) {
        damagedFile = true;
        return false;
    }
    return true;
}

// Reads a 16-bit element count and checks that the chunk can hold that many elements, so a count never
// makes the reader allocate more than the file holds.
bool Reader3ds::readCount(Chunk3ds& chunk, std::uint32_t elementSize, std::uint32_t& count) {
    unsigned char bytes[2];
    if (!readBytes(chunk, bytes, 2)) return false;
    count = getU16(bytes);
    if (static_cast<std::uint64_t>(count) * elementSize > remainder(chunk)) {
        damagedFile = true;
        return false;
    }
    return true;
}

bool Reader3ds::readBytes(Chunk3ds& chunk, void* destination, std::uint32_t count) {
    if (damagedFile) return false;
    if (count > remainder(chunk) || count > fileSize - filePosition ||
        std::fread(destination, 1, count, file) != count) {
        damagedFile = true;
        return false;
    }
    filePosition += count;
    chunk.bytesRead += count;
    return true;
}

// Skipped payloads are passed over by seeking, whatever their length, once the file is known to hold them.
bool Reader3ds::skipBytes(Chunk3ds& chunk, std::uint64_t count) {
    if (damagedFile) return false;
    if (count > remainder(chunk) || count > fileSize - filePosition ||
        std::fseek(file, static_cast<long>(count), SEEK_CUR) != 0) {
        damagedFile = true;
        return false;
    }
    filePosition += count;
    chunk.bytesRead += static_cast<std::uint32_t>(count);
    return true;
}

void Reader3ds::skipRest(Chunk3ds& chunk) { skipBytes(chunk, remainder(chunk)); }

// Stores what fits of the chunk's rest in the field and consumes the excess.
void Reader3ds::readRestInto(Chunk3ds& chunk, void* field, std::uint32_t fieldSize) {
    const std::uint32_t rest = remainder(chunk);
    const std::uint32_t stored = rest < fieldSize ? rest : fieldSize;
    if (!readBytes(chunk, field, stored)) return;
    skipRest(chunk);
}

// The same into a name field, which always keeps its NUL: a longer name is cut to 254 characters.
void Reader3ds::readRestIntoText(Chunk3ds& chunk, char* field) {
    std::memset(field, 0, nameField3ds);
    readRestInto(chunk, field, nameField3ds - 1);
    field[nameField3ds - 1] = '\0';
}

// Reads a NUL-terminated string byte by byte; what does not fit the field is consumed and counted but
// dropped. A string that runs past its chunk is damage. Returns the bytes consumed, the NUL included.
std::uint32_t Reader3ds::readString(Chunk3ds& chunk, char* field) {
    std::uint32_t consumed = 0;
    for (;;) {
        unsigned char byte;
        if (!readBytes(chunk, &byte, 1)) break;
        if (consumed < nameField3ds - 1) field[consumed] = static_cast<char>(byte);
        ++consumed;
        if (byte == 0) break;
    }
    field[consumed < nameField3ds - 1 ? consumed : nameField3ds - 1] = '\0';
    return consumed;
}
