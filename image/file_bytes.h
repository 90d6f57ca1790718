// Bounded reading helpers shared by the decoders: file size, little-endian fields, checked allocation.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

using ByteBuffer = std::unique_ptr<uint8_t[]>;

// Bytes from the current position to the end of the stream; -1 when the stream cannot seek. The position
// is left where it was.
long bytesLeft(FILE* file);
// The whole stream's size in bytes, or -1.
long streamSize(FILE* file);

// Reads exactly count bytes; false on a short read.
bool readExact(FILE* file, void* target, size_t count);

inline uint16_t littleEndian16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t littleEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// a x b x c as a byte count, or 0 when any factor is not positive or the product exceeds limit.
size_t checkedProduct(int64_t a, int64_t b, int64_t c, size_t limit);

// new[] that returns null instead of throwing; size 0 gives null.
ByteBuffer allocateBytes(size_t count);

// Closes a FILE* when it goes out of scope.
struct FileCloser {
    void operator()(FILE* file) const { if (file) std::fclose(file); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;
// Opens a file for binary reading. The demo names some files with Windows separators
// ("data\\textury\\head02.tga"): a backslash is taken as a directory separator.
FileHandle openForReading(const char* path);
