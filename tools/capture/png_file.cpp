// libpng with its own error handling returned through setjmp, so a full disk ends in false, not abort.
#include "png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

bool writePng(const std::string& path, const RgbPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height * 3)
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "halvex-capture: cannot write %s\n", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info;
    if (ok && setjmp(png_jmpbuf(png))) ok = false;
    else if (ok) {
        png_init_io(png, file);
        png_set_compression_level(png, 3);   // frames are many: speed over size
        png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < picture.height; ++y)
            png_write_row(png, const_cast<png_bytep>(&picture.pixels[static_cast<size_t>(y) * picture.width * 3]));
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "halvex-capture: writing %s failed\n", path.c_str());
    return ok;
}
