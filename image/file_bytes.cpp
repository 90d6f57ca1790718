// Bounded reading helpers shared by the decoders.
#include "image/file_bytes.h"

#include <new>
#include <string>

long bytesLeft(FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end < here ? 0 : end - here;
}

long streamSize(FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end;
}

bool readExact(FILE* file, void* target, size_t count) {
    return count == 0 || std::fread(target, 1, count, file) == count;
}

size_t checkedProduct(int64_t a, int64_t b, int64_t c, size_t limit) {
    if (a <= 0 || b <= 0 || c <= 0) return 0;
    // Each factor is at most 2^32 here, so dividing before multiplying keeps every step in range.
    uint64_t bound = static_cast<uint64_t>(limit);
    if (static_cast<uint64_t>(a) > bound) return 0;
    uint64_t ab = static_cast<uint64_t>(a);
    if (static_cast<uint64_t>(b) > bound / ab) return 0;
    ab *= static_cast<uint64_t>(b);
    if (static_cast<uint64_t>(c) > bound / ab) return 0;
    return static_cast<size_t>(ab * static_cast<uint64_t>(c));
}

ByteBuffer allocateBytes(size_t count) {
    if (count == 0) return nullptr;
    return ByteBuffer(new (std::nothrow) uint8_t[count]);
}

FileHandle openForReading(const char* path) {
    if (!path) return nullptr;
    std::string native(path);
    for (char& c : native)
        if (c == '\\') c = '/';
    return FileHandle(std::fopen(native.c_str(), "rb"));
}
