// libFuzzer target for both TGA readers: the image decoder and the sprite loader, on any bytes read from
// memory; what they decode must hold exactly width x height pixels.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_checks.h"
#include "image/image.h"
#include "image/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = openInput(data, size);
    if (!file) return 0;
    Image image;
    image.loadTga(file);
    if (image.pixels) {
        check(image.bytesPerPixel == 3 || image.bytesPerPixel == 4);
        touchPixels(image.pixels, image.width, image.height, image.bytesPerPixel);
    }
    std::rewind(file);
    TgaTexture sprite;
    if (sprite.readFile(file)) {
        check(sprite.bits == 8 || sprite.bits == 24 || sprite.bits == 32);
        touchPixels(sprite.pixels, sprite.width, sprite.height, sprite.bits / 8);
    } else {
        check(sprite.status >= TEX_ERR_OPEN && sprite.status <= TEX_ERR_READ && !sprite.pixels);
    }
    std::fclose(file);
    return 0;
}
