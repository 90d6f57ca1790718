// Small image files written by the image tests themselves: TGA, BMP, PCX and JPEG bytes, a scratch
// directory without dots in its path, and ImageMagick's convert for cross-checks.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <unistd.h>

using Bytes = std::vector<uint8_t>;

inline void putLe16(Bytes& b, unsigned v) {
    b.push_back(static_cast<uint8_t>(v & 0xff));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xff));
}
inline void putLe32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xff));
}

// A fresh directory under /tmp whose path holds no "." (the extension dispatch looks for the first one).
inline std::string scratchDirectory() {
    char pattern[] = "/tmp/halvex_image_XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? std::string(made) : std::string("/tmp");
}

inline void writeBytes(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

inline Bytes readBytes(const std::string& path) {
    Bytes bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(file);
    return bytes;
}

// TGA: header fields as given, then the pixel bytes exactly as they are to be stored (B, G, R[, A]).
inline Bytes tgaFile(int width, int height, int bits, const Bytes& stored, uint8_t type = 2,
                     uint8_t idLength = 0, uint8_t colourMapType = 0) {
    Bytes b = {idLength, colourMapType, type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    putLe16(b, static_cast<unsigned>(width));
    putLe16(b, static_cast<unsigned>(height));
    b.push_back(static_cast<uint8_t>(bits));
    b.push_back(bits == 32 ? 8 : 0);
    for (int i = 0; i < idLength; ++i) b.push_back('x');
    b.insert(b.end(), stored.begin(), stored.end());
    return b;
}

// A 24-bit BMP from rows of stored B, G, R bytes in file order, each row padded to 4 bytes unless tight.
// sizeImage: the header's image-size field (-1 writes the real size of the data).
inline Bytes bmpFile(int width, int height, const std::vector<Bytes>& rows, bool padRows = true,
                     int64_t sizeImage = -1, uint16_t bitCount = 24, uint32_t compression = 0) {
    Bytes data;
    for (const Bytes& row : rows) {
        data.insert(data.end(), row.begin(), row.end());
        if (padRows)
            while ((data.size() % 4) != 0) data.push_back(0xEE);
    }
    Bytes b = {'B', 'M'};
    putLe32(b, static_cast<uint32_t>(54 + data.size()));
    putLe32(b, 0);
    putLe32(b, 54);
    putLe32(b, 40);
    putLe32(b, static_cast<uint32_t>(width));
    putLe32(b, static_cast<uint32_t>(height));
    putLe16(b, 1);
    putLe16(b, bitCount);
    putLe32(b, compression);
    putLe32(b, static_cast<uint32_t>(sizeImage < 0 ? static_cast<int64_t>(data.size()) : sizeImage));
    for (int i = 0; i < 4; ++i) putLe32(b, 0);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// A PCX with the window (0, 0)..(width - 1, height - 1), the given run-length data and palette.
inline Bytes pcxFile(int width, int height, const Bytes& runs, const Bytes& palette) {
    Bytes b(128, 0);
    b[0] = 10;
    b[1] = 5;
    b[2] = 1;
    b[3] = 8;
    b[8] = static_cast<uint8_t>((width - 1) & 0xff);
    b[9] = static_cast<uint8_t>((width - 1) >> 8);
    b[10] = static_cast<uint8_t>((height - 1) & 0xff);
    b[11] = static_cast<uint8_t>((height - 1) >> 8);
    b[65] = 1;
    b.insert(b.end(), runs.begin(), runs.end());
    b.push_back(12);
    Bytes full = palette;
    full.resize(768, 0);
    b.insert(b.end(), full.begin(), full.end());
    return b;
}

// Run-length data that stores the indices one by one (values of 192 and above as runs of one).
inline Bytes pcxLiterals(const Bytes& indices) {
    Bytes runs;
    for (uint8_t index : indices) {
        if (index >= 192) runs.push_back(0xC1);
        runs.push_back(index);
    }
    return runs;
}

// A palette whose entry i is (i, 255 - i, i / 2).
inline Bytes rampPalette() {
    Bytes palette;
    for (int i = 0; i < 256; ++i) {
        palette.push_back(static_cast<uint8_t>(i));
        palette.push_back(static_cast<uint8_t>(255 - i));
        palette.push_back(static_cast<uint8_t>(i / 2));
    }
    return palette;
}

// A baseline JPEG from rows top row first (components 1 or 3), through libjpeg's compressor.
inline Bytes jpegFile(int width, int height, int components, const Bytes& topFirst, int quality = 100) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // No chroma subsampling, so small colour blocks survive the round trip.
    for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(topFirst.data() + info.next_scanline * static_cast<size_t>(width * components));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    Bytes bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

// A binary PPM (P6) from rows top row first: ImageMagick's input for the cross-checks.
inline Bytes ppmFile(int width, int height, const Bytes& rgbTopFirst) {
    std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    Bytes b(header.begin(), header.end());
    b.insert(b.end(), rgbTopFirst.begin(), rgbTopFirst.end());
    return b;
}

// Runs ImageMagick's convert; true when it succeeded.
inline bool runConvert(const std::string& arguments) {
    std::string command = "convert " + arguments + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// A picture with distinct rows and columns: pixel (x, y) (y counted from the top) is
// (40 x + 10, 50 y + 5, 200 - 30 x).
inline Bytes patternTopFirst(int width, int height) {
    Bytes rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            rgb.push_back(static_cast<uint8_t>(40 * x + 10));
            rgb.push_back(static_cast<uint8_t>(50 * y + 5));
            rgb.push_back(static_cast<uint8_t>(200 - 30 * x));
        }
    return rgb;
}
