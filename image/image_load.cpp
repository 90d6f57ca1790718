// The Image record's loaders: one per format, and the dispatch on the file-name extension.
#include <cstring>
#include <strings.h>

#include "image/file_bytes.h"
#include "image/image.h"

namespace {
// The extension is the text after the first "." of the file name (the directory part is not looked
// at, so "./data/sky1.jpg" still reads as "jpg"); null when the name has no ".".
const char* extensionOf(const char* path) {
    if (!path) return nullptr;
    const char* name = path;
    for (const char* c = path; *c; ++c)
        if (*c == '/' || *c == '\\') name = c + 1;
    const char* dot = std::strchr(name, '.');
    return dot ? dot + 1 : nullptr;
}

bool extensionIs(const char* extension, const char* wanted) {
    return extension && strcasecmp(extension, wanted) == 0;
}

// The row count of a BMP header: top-down files store it negated (the most negative value is no size).
int32_t bmpRows(const BmpInfoHeader& info) {
    if (info.height == INT32_MIN) return 0;
    return info.height < 0 ? -info.height : info.height;
}

template <typename Load>
void withFile(const char* path, Load load) {
    FileHandle file = openForReading(path);
    if (file) load(file.get());
}

// A BMP decoder's result and header become the image's pixels and description.
void takeBmpPixels(Image& image, uint8_t* decoded, const BmpInfoHeader& info, int32_t decodedBytesPerPixel) {
    image.pixels = decoded;
    image.format = IMAGE_BMP;
    image.width = info.width;
    image.height = bmpRows(info);
    image.scaledWidth = image.scaledHeight = 0;
    image.bytesPerPixel = decoded ? decodedBytesPerPixel : 0;
}
}  // namespace

Image::~Image() { clearPixels(); }

void Image::clearPixels() {
    delete[] pixels;
    delete[] palette;
    pixels = nullptr;
    palette = nullptr;
    bytesPerPixel = 0;
}

int32_t Image::pixelWidth() const { return format == IMAGE_PCX && pixels ? scaledWidth : width; }
int32_t Image::pixelHeight() const { return format == IMAGE_PCX && pixels ? scaledHeight : height; }

void Image::loadBmp(FILE* file) {
    clearPixels();
    BmpInfoHeader info;
    takeBmpPixels(*this, readBmp(file, info), info, 3);
}

void Image::loadBmpWithAlpha(FILE* file) {
    clearPixels();
    BmpInfoHeader info;
    takeBmpPixels(*this, readBmpWithAlpha(file, info), info, 4);
}

void Image::loadPcx(FILE* file) {
    clearPixels();
    format = IMAGE_PCX;
    PcxHeader header;
    ByteBuffer indices(readPcx(file, header));
    if (!indices) return;
    int32_t w = header.xmax - header.xmin + 1;
    int32_t h = header.ymax - header.ymin + 1;
    size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    ByteBuffer rgba = allocateBytes(count * 4);
    ByteBuffer paletteCopy = allocateBytes(sizeof header.palette);
    int32_t sw = floorPowerOfTwo(w);
    int32_t sh = floorPowerOfTwo(h);
    ByteBuffer scaled = allocateBytes(static_cast<size_t>(sw) * static_cast<size_t>(sh) * 4);
    if (!rgba || !paletteCopy || !scaled) return;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = header.palette + indices[i] * 3;
        uint8_t* pixel = rgba.get() + i * 4;
        pixel[0] = entry[0];
        pixel[1] = entry[1];
        pixel[2] = entry[2];
        pixel[3] = 255;
    }
    std::memcpy(paletteCopy.get(), header.palette, sizeof header.palette);
    if (sw == w && sh == h)
        std::memcpy(scaled.get(), rgba.get(), count * 4);
    else
        scaleImageRgba(rgba.get(), w, h, scaled.get(), sw, sh);
    width = w;
    height = h;
    scaledWidth = sw;
    scaledHeight = sh;
    palette = paletteCopy.release();
    pixels = scaled.release();
    bytesPerPixel = 4;
}

void Image::loadTga(FILE* file) {
    clearPixels();
    TgaInfo info;
    pixels = readTga(file, *this, info);
    format = IMAGE_TGA;
    tgaType = 2;
    scaledWidth = scaledHeight = 0;
    bytesPerPixel = pixels ? info.bytesPerPixel : 0;
}

void Image::loadJpeg(FILE* file) {
    clearPixels();
    format = IMAGE_JPEG;
    scaledWidth = scaledHeight = 0;
    JpegPixels* result = readJpeg(file);
    if (!result) return;
    if (result->pixels) {
        width = result->width;
        height = result->height;
        bytesPerPixel = result->components;
        pixels = result->pixels;
        result->pixels = nullptr;
    }
    delete result;
}

void Image::loadBmp(const char* path) {
    clearPixels();
    format = IMAGE_BMP;
    withFile(path, [this](FILE* f) { loadBmp(f); });
}
void Image::loadPcx(const char* path) {
    clearPixels();
    format = IMAGE_PCX;
    withFile(path, [this](FILE* f) { loadPcx(f); });
}
void Image::loadTga(const char* path) {
    clearPixels();
    format = IMAGE_TGA;
    withFile(path, [this](FILE* f) { loadTga(f); });
}
void Image::loadJpeg(const char* path) {
    clearPixels();
    format = IMAGE_JPEG;
    withFile(path, [this](FILE* f) { loadJpeg(f); });
}

void Image::load(const char* path) {
    const char* extension = extensionOf(path);
    if (extensionIs(extension, "BMP")) loadBmp(path);
    else if (extensionIs(extension, "PCX")) loadPcx(path);
    else if (extensionIs(extension, "TGA")) loadTga(path);
    else if (extensionIs(extension, "JPG")) loadJpeg(path);
}

void Image::loadWithAlpha(const char* path) {
    const char* extension = extensionOf(path);
    if (extensionIs(extension, "BMP")) {
        clearPixels();
        format = IMAGE_BMP;
        withFile(path, [this](FILE* f) { loadBmpWithAlpha(f); });
    } else if (extensionIs(extension, "TGA")) {
        loadTga(path);
    }
}
