// Reads one 3DS file into a Model3ds: materials, mesh objects, mapping coordinates, then smooth normals.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "model/model3ds.h"

// Limits that keep a hostile file from nesting the reader off its stack or from making it allocate far
// more than the file holds. Chunks past them are skipped whole, like chunks of an unknown id.
constexpr int maxChunkDepth3ds = 64;
constexpr int maxObjects3ds = 65536;
constexpr int maxMaterials3ds = 65536;

// A chunk as it was when its handler finished (bytesRead final), with its nesting depth (the primary
// chunk is depth 0). The two sub-chunks read without dispatch (mesh version, colour) are listed too.
struct TracedChunk3ds {
    int depth;
    Chunk3ds chunk;
};

class Reader3ds {
public:
    enum class Status {
        notRun,
        ok,               // the whole primary chunk was read
        fileNotFound,     // "Unable to find the file" was shown; the model is untouched
        noPrimaryChunk,   // "Unable to load PRIMARY chuck" was shown; the model is untouched
        damaged,          // truncated or inconsistent: reading stopped; what was read stays, with normals
    };

    Reader3ds() = default;
    ~Reader3ds();
    Reader3ds(const Reader3ds&) = delete;
    Reader3ds& operator=(const Reader3ds&) = delete;

    // Reads the file at path into model (normally empty) and computes the normals. Failures are told
    // by a message box; status() says which for callers that check files.
    void import(Model3ds& model, const char* path);
    // The same over a stream already open for reading (an in-memory file, say); the reader closes it.
    // path only names the file in the messages. A stream that cannot seek reads as an empty file.
    void importStream(Model3ds& model, std::FILE* stream, const char* path);

    Status status() const { return result; }
    // While set, every chunk read is appended to log; tests check the byte bookkeeping with it.
    void traceChunks(std::vector<TracedChunk3ds>* log) { trace = log; }

private:
    enum class Level { top, object, material };

    void dispatch(Chunk3ds& parent, Level level, int depth, int target);
    void handleTop(Chunk3ds& chunk, int depth);
    void handleObject(Chunk3ds& chunk, int depth, int object);
    void handleMaterial(Chunk3ds& chunk, int depth, int material);
    void readMeshData(Chunk3ds& chunk, int depth);
    void readNamedObject(Chunk3ds& chunk, int depth);
    void readMaterial(Chunk3ds& chunk, int depth);
    void readVersion(Chunk3ds& chunk);
    void readColor(Chunk3ds& chunk, int depth, Material3ds& material);
    void readVertices(Chunk3ds& chunk, Object3ds& object);
    void readFaces(Chunk3ds& chunk, Object3ds& object);
    void readMaterialGroup(Chunk3ds& chunk, Object3ds& object);
    void readMappingCoords(Chunk3ds& chunk, Object3ds& object);

    bool readHeader(Chunk3ds& chunk, const Chunk3ds* parent);
    bool readBytes(Chunk3ds& chunk, void* destination, std::uint32_t count);
    bool readCount(Chunk3ds& chunk, std::uint32_t elementSize, std::uint32_t& count);
    bool skipBytes(Chunk3ds& chunk, std::uint64_t count);
    void skipRest(Chunk3ds& chunk);
    void readRestInto(Chunk3ds& chunk, void* field, std::uint32_t fieldSize);
    void readRestIntoText(Chunk3ds& chunk, char* field);
    std::uint32_t readString(Chunk3ds& chunk, char* field);
    void record(const Chunk3ds& chunk, int depth);
    void closeFile();

    std::FILE* file = nullptr;
    std::uint64_t fileSize = 0;       // bytes
    std::uint64_t filePosition = 0;   // bytes consumed from the start of the file
    bool damagedFile = false;
    bool versionWarned = false;
    Model3ds* model = nullptr;
    Chunk3ds current;   // the primary chunk once its header is read
    Chunk3ds scratch;   // the mesh-version and colour sub-chunks, read without dispatch
    Status result = Status::notRun;
    std::vector<TracedChunk3ds>* trace = nullptr;
};
