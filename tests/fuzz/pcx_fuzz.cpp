// libFuzzer target for the PCX decoder: any bytes as a file, read from memory; a decoded image must hold
// its scaled power-of-two size in RGBA and a palette.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_checks.h"
#include "image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = openInput(data, size);
    if (!file) return 0;
    Image image;
    image.loadPcx(file);
    std::fclose(file);
    if (!image.pixels) return 0;
    check(image.format == IMAGE_PCX && image.bytesPerPixel == 4 && image.palette);
    check(image.scaledWidth >= 1 && image.scaledWidth <= image.width && image.scaledWidth * 2 > image.width);
    check(image.scaledHeight >= 1 && image.scaledHeight <= image.height && image.scaledHeight * 2 > image.height);
    unsigned sum = 0;
    size_t count = static_cast<size_t>(image.scaledWidth) * static_cast<size_t>(image.scaledHeight) * 4;
    for (size_t i = 0; i < count; ++i) sum += image.pixels[i];
    for (size_t i = 3; i < count; i += 4) check(image.pixels[i] == 255);
    for (int i = 0; i < 768; ++i) sum += image.palette[i];
    return static_cast<int>(sum & 0);
}
