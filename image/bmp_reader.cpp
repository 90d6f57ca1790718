// BMP decoding: uncompressed 24-bit files, rows padded to 4 bytes (or tightly packed), either row order.
#include <cstring>

#include "image/file_bytes.h"
#include "image/image.h"

namespace {
constexpr size_t fileHeaderBytes = 14;
constexpr size_t infoHeaderBytes = 40;

void parseInfoHeader(const uint8_t* b, BmpInfoHeader& info) {
    info.size = littleEndian32(b);
    info.width = static_cast<int32_t>(littleEndian32(b + 4));
    info.height = static_cast<int32_t>(littleEndian32(b + 8));
    info.planes = littleEndian16(b + 12);
    info.bitCount = littleEndian16(b + 14);
    info.compression = littleEndian32(b + 16);
    info.sizeImage = littleEndian32(b + 20);
    info.xPelsPerMeter = static_cast<int32_t>(littleEndian32(b + 24));
    info.yPelsPerMeter = static_cast<int32_t>(littleEndian32(b + 28));
    info.clrUsed = littleEndian32(b + 32);
    info.clrImportant = littleEndian32(b + 36);
}

// Bytes from one row's start to the next. Real files pad rows to 4 bytes; a header whose image size is
// exactly the unpadded size marks a writer that packed rows tightly, which is read that way.
int64_t rowStride(const BmpInfoHeader& info, int64_t rowBytes, int64_t rows) {
    int64_t padded = (rowBytes + 3) & ~int64_t{3};
    if (padded != rowBytes && static_cast<int64_t>(info.sizeImage) == rowBytes * rows) return rowBytes;
    return padded;
}
}  // namespace

uint8_t* readBmp(FILE* file, BmpInfoHeader& info) {
    info = BmpInfoHeader{};
    if (!file) return nullptr;
    uint8_t fileHeader[fileHeaderBytes];
    uint8_t infoHeader[infoHeaderBytes];
    if (!readExact(file, fileHeader, sizeof fileHeader) || littleEndian16(fileHeader) != 0x4D42) return nullptr;
    if (!readExact(file, infoHeader, sizeof infoHeader)) return nullptr;
    parseInfoHeader(infoHeader, info);
    // Palette images, bit fields and run-length data are not this reader's: only plain 24-bit pixels.
    if (info.size < infoHeaderBytes || info.bitCount != 24 || info.compression != 0) return nullptr;
    if (info.width <= 0 || info.height == 0 || info.height == INT32_MIN) return nullptr;

    int64_t width = info.width;
    int64_t rows = info.height < 0 ? -static_cast<int64_t>(info.height) : info.height;
    size_t outputBytes = checkedProduct(width, rows, 3, maxImageBytes);
    if (outputBytes == 0) return nullptr;
    int64_t rowBytes = width * 3;
    int64_t stride = rowStride(info, rowBytes, rows);

    long size = streamSize(file);
    uint32_t offset = littleEndian32(fileHeader + 10);
    // The last row may lack its fill bytes; everything before it must be in the file.
    int64_t needed = stride * (rows - 1) + rowBytes;
    if (size < 0 || offset > static_cast<uint64_t>(size) || needed > size - static_cast<int64_t>(offset))
        return nullptr;
    ByteBuffer pixels = allocateBytes(outputBytes);
    if (!pixels) return nullptr;

    // Rows come out bottom row first, as a usual BMP stores them; a top-down file is turned over.
    bool topDown = info.height < 0;
    for (int64_t row = 0; row < rows; ++row) {
        if (std::fseek(file, static_cast<long>(offset + row * stride), SEEK_SET) != 0) return nullptr;
        int64_t targetRow = topDown ? rows - 1 - row : row;
        uint8_t* target = pixels.get() + targetRow * rowBytes;
        if (!readExact(file, target, static_cast<size_t>(rowBytes))) return nullptr;
    }
    for (size_t i = 0; i + 2 < outputBytes; i += 3) std::swap(pixels[i], pixels[i + 2]);
    return pixels.release();
}

uint8_t* readBmp(const char* path, BmpInfoHeader& info) {
    FileHandle file = openForReading(path);
    if (!file) {
        info = BmpInfoHeader{};
        return nullptr;
    }
    return readBmp(file.get(), info);
}

uint8_t* readBmpWithAlpha(FILE* file, BmpInfoHeader& info) {
    ByteBuffer rgb(readBmp(file, info));
    if (!rgb) return nullptr;
    int64_t rows = info.height < 0 ? -static_cast<int64_t>(info.height) : info.height;
    size_t count = static_cast<size_t>(info.width) * static_cast<size_t>(rows);
    size_t rgbaBytes = checkedProduct(info.width, rows, 4, maxImageBytes + maxImageBytes / 3);
    ByteBuffer rgba = allocateBytes(rgbaBytes);
    if (!rgba) return nullptr;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* s = rgb.get() + i * 3;
        uint8_t* d = rgba.get() + i * 4;
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        d[3] = (s[0] | s[1] | s[2]) ? 255 : 0;   // pure black is the transparent colour
    }
    return rgba.release();
}

uint8_t* readBmpWithAlpha(const char* path, BmpInfoHeader& info) {
    FileHandle file = openForReading(path);
    if (!file) {
        info = BmpInfoHeader{};
        return nullptr;
    }
    return readBmpWithAlpha(file.get(), info);
}
