// TGA decoding for images: uncompressed 24- or 32-bit true colour with the plain reference header.
#include <cstring>
#include <utility>

#include "image/file_bytes.h"
#include "image/image.h"

namespace {
// No identification field, no colour map, type 2, zero colour-map fields and origin.
constexpr uint8_t referenceHeader[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

uint8_t* readTga(FILE* file, Image& image, TgaInfo& info) {
    info = TgaInfo{};
    if (!file) return nullptr;
    uint8_t header[12];
    uint8_t fields[6];
    if (!readExact(file, header, sizeof header) || std::memcmp(header, referenceHeader, sizeof header) != 0)
        return nullptr;
    if (!readExact(file, fields, sizeof fields)) return nullptr;
    info.imageType = header[2];
    info.width = littleEndian16(fields);
    info.height = littleEndian16(fields + 2);
    // The size goes into the image at once, before the checks, as callers of this reader expect.
    image.width = info.width;
    image.height = info.height;
    int bits = fields[4];
    if (info.width <= 0 || info.height <= 0 || (bits != 24 && bits != 32)) return nullptr;
    info.bytesPerPixel = bits / 8;

    size_t count = checkedProduct(info.width, info.height, info.bytesPerPixel, maxImageBytes);
    long left = bytesLeft(file);
    if (count == 0 || left < 0 || count > static_cast<size_t>(left)) return nullptr;
    ByteBuffer pixels = allocateBytes(count);
    if (!pixels || !readExact(file, pixels.get(), count)) return nullptr;
    // B, G, R[, A] become R, G, B[, A]; the descriptor's origin is not looked at, rows stay in file order.
    for (size_t i = 0; i < count; i += static_cast<size_t>(info.bytesPerPixel))
        std::swap(pixels[i], pixels[i + 2]);
    return pixels.release();
}

uint8_t* readTga(const char* path, Image& image, TgaInfo& info) {
    FileHandle file = openForReading(path);
    if (!file) {
        info = TgaInfo{};
        return nullptr;
    }
    return readTga(file.get(), image, info);
}
