// PCX decoding: one plane of 8-bit palette indices, run-length coded, with the 256-colour palette at the end.
#include "image/file_bytes.h"
#include "image/image.h"

namespace {
constexpr long pixelDataOffset = 128;
constexpr long paletteBlockBytes = 769;   // marker byte 12, then 256 RGB triples
// A run byte and its value give at most 63 pixels, so a file cannot describe more pixels than this many
// per byte of run-length data; larger windows are rejected before allocating.
constexpr int64_t maxPixelsPerDataByte = 32;

// Fills width x height indices from the run-length data. A run that would pass the end of the buffer is
// cut there; data that ends before the buffer is full fails.
bool decodeRuns(FILE* file, uint8_t* target, size_t count) {
    size_t produced = 0;
    while (produced < count) {
        int byte = std::fgetc(file);
        if (byte == EOF) return false;
        if (byte < 192) {
            target[produced++] = static_cast<uint8_t>(byte);
            continue;
        }
        int value = std::fgetc(file);
        if (value == EOF) return false;
        size_t run = static_cast<size_t>(byte & 63);
        if (run > count - produced) run = count - produced;
        for (size_t i = 0; i < run; ++i) target[produced++] = static_cast<uint8_t>(value);
    }
    return true;
}
}  // namespace

uint8_t* readPcx(FILE* file, PcxHeader& header) {
    header = PcxHeader{};
    if (!file) return nullptr;
    uint8_t bytes[12];
    if (!readExact(file, bytes, sizeof bytes) || bytes[0] != 10 || bytes[1] != 5) return nullptr;
    header.manufacturer = bytes[0];
    header.version = bytes[1];
    header.encoding = bytes[2];
    header.bitsPerPixel = bytes[3];
    header.xmin = littleEndian16(bytes + 4);
    header.ymin = littleEndian16(bytes + 6);
    header.xmax = littleEndian16(bytes + 8);
    header.ymax = littleEndian16(bytes + 10);

    int64_t width = static_cast<int64_t>(header.xmax) - header.xmin + 1;
    int64_t height = static_cast<int64_t>(header.ymax) - header.ymin + 1;
    long size = streamSize(file);
    if (size < pixelDataOffset + paletteBlockBytes) return nullptr;
    int64_t dataBytes = size - pixelDataOffset;
    size_t count = checkedProduct(width, height, 1, maxImageBytes / 4);
    if (count == 0 || static_cast<int64_t>(count) > dataBytes * maxPixelsPerDataByte) return nullptr;

    ByteBuffer indices = allocateBytes(count);
    if (!indices || std::fseek(file, pixelDataOffset, SEEK_SET) != 0) return nullptr;
    if (!decodeRuns(file, indices.get(), count)) return nullptr;

    if (std::fseek(file, -paletteBlockBytes, SEEK_END) != 0 || std::fgetc(file) != 12) return nullptr;
    if (!readExact(file, header.palette, sizeof header.palette)) return nullptr;
    return indices.release();
}

uint8_t* readPcx(const char* path, PcxHeader& header) {
    FileHandle file = openForReading(path);
    if (!file) {
        header = PcxHeader{};
        return nullptr;
    }
    return readPcx(file.get(), header);
}
