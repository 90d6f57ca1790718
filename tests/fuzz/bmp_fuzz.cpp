// libFuzzer target for the BMP decoder: any bytes as a file, read from memory with and without alpha;
// a decoded image must hold exactly width x height pixels (every byte is read back).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_checks.h"
#include "image/image.h"

namespace {
void decode(const uint8_t* data, size_t size, bool alpha) {
    FILE* file = openInput(data, size);
    if (!file) return;
    Image image;
    if (alpha) image.loadBmpWithAlpha(file);
    else image.loadBmp(file);
    std::fclose(file);
    if (!image.pixels) return;
    check(image.format == IMAGE_BMP && image.width > 0 && image.height > 0);
    check(image.bytesPerPixel == (alpha ? 4 : 3));
    touchPixels(image.pixels, image.width, image.height, image.bytesPerPixel);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    decode(data, size, false);
    decode(data, size, true);
    return 0;
}
