// libpng with its own error handling returned through setjmp, so a full disk ends in false, not abort;
// reading goes through libpng's simplified interface, which checks the sizes itself.
#include "image/png_file.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {
// libpng's long jump must not cross C++ objects with destructors: this frame holds none.
bool writeRows(FILE* file, int width, int height, int channels, const uint8_t* pixels) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info;
    if (ok && setjmp(png_jmpbuf(png))) ok = false;
    else if (ok) {
        png_init_io(png, file);
        png_set_compression_level(png, 3);   // frames are many: speed over size
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y)
            png_write_row(png, const_cast<png_bytep>(pixels + static_cast<size_t>(y) * width * channels));
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return ok;
}
}  // namespace

bool writePng(const std::string& path, int width, int height, int channels, const uint8_t* pixels) {
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) || !pixels) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "%s: cannot write %s\n", program_invocation_short_name, path.c_str());
        return false;
    }
    bool ok = writeRows(file, width, height, channels, pixels);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "%s: writing %s failed\n", program_invocation_short_name, path.c_str());
    return ok;
}

bool writePng(const std::string& path, const RgbPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height * 3)
        return false;
    return writePng(path, picture.width, picture.height, 3, picture.pixels.data());
}

bool readPngRgba(const std::string& path, int maxSide, int& width, int& height, std::vector<uint8_t>& pixels) {
    pixels.clear();
    width = height = 0;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    if (image.width == 0 || image.height == 0 || image.width > static_cast<png_uint_32>(maxSide) ||
        image.height > static_cast<png_uint_32>(maxSide)) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> decoded(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    pixels = std::move(decoded);
    return true;
}
