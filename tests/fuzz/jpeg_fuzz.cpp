// libFuzzer target for the JPEG decoder: any bytes as a file, read from memory. Corrupt data must come
// back as an image without pixels, never end the process; a decoded image holds width x height pixels.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_checks.h"
#include "image/image.h"

namespace {
// Frames larger than this many pixels are legal but only slow the search down; they are skipped here.
constexpr uint64_t maxFuzzPixels = 1u << 20;

bool claimsHugeFrame(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 8 < size; ++i) {
        if (data[i] != 0xFF || data[i + 1] < 0xC0 || data[i + 1] > 0xCF) continue;
        if (data[i + 1] == 0xC4 || data[i + 1] == 0xC8 || data[i + 1] == 0xCC) continue;
        uint64_t height = (data[i + 5] << 8) | data[i + 6];
        uint64_t width = (data[i + 7] << 8) | data[i + 8];
        if (width * height > maxFuzzPixels) return true;
    }
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setJpegMessagesShown(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (claimsHugeFrame(data, size)) return 0;
    FILE* file = openInput(data, size);
    if (!file) return 0;
    Image image;
    image.loadJpeg(file);
    std::fclose(file);
    if (!image.pixels) return 0;
    check(image.format == IMAGE_JPEG && image.width > 0 && image.height > 0);
    check(image.bytesPerPixel >= 1 && image.bytesPerPixel <= 4);
    unsigned sum = 0;
    size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) *
                   static_cast<size_t>(image.bytesPerPixel);
    for (size_t i = 0; i < count; ++i) sum += image.pixels[i];
    return static_cast<int>(sum & 0);
}
