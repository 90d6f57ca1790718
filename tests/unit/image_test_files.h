// Small image files written by the image tests themselves (TGA, BMP, PCX and JPEG bytes) and a scratch
// directory without dots in its path.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

using Bytes = std::vector<uint8_t>;

inline void putLe(Bytes& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
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

// TGA: header fields as given, then the pixel bytes exactly as they are to be stored (B, G, R[, A]).
inline Bytes tgaFile(int width, int height, int bits, const Bytes& stored, uint8_t type = 2,
                     uint8_t idLength = 0, uint8_t colourMapType = 0) {
    Bytes b = {idLength, colourMapType, type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    putLe(b, static_cast<uint32_t>(width), 2);
    putLe(b, static_cast<uint32_t>(height), 2);
    b.push_back(static_cast<uint8_t>(bits));
    b.push_back(bits == 32 ? 8 : 0);
    b.insert(b.end(), idLength, 'x');
    b.insert(b.end(), stored.begin(), stored.end());
    return b;
}

// A 24-bit BMP from rows of stored B, G, R bytes in file order, each row padded to 4 bytes unless tight.
inline Bytes bmpFile(int width, int height, const std::vector<Bytes>& rows, bool padRows = true) {
    Bytes data;
    for (const Bytes& row : rows) {
        data.insert(data.end(), row.begin(), row.end());
        while (padRows && data.size() % 4 != 0) data.push_back(0xEE);
    }
    Bytes b = {'B', 'M'};
    for (uint32_t field : {uint32_t(54 + data.size()), 0u, 54u, 40u, uint32_t(width), uint32_t(height), 0x180001u, 0u,
                           uint32_t(data.size())})   // 0x180001: one plane of 24 bits
        putLe(b, field, 4);
    b.resize(54, 0);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// A PCX with the window (0, 0)..(width - 1, height - 1), the given run-length data (bytes below 192 are
// single pixels) and a palette whose entry i is (i, 255 - i, i / 2).
inline Bytes pcxFile(int width, int height, const Bytes& runs) {
    Bytes b = {10, 5, 1, 8, 0, 0, 0, 0};
    putLe(b, static_cast<uint32_t>(width - 1), 2);
    putLe(b, static_cast<uint32_t>(height - 1), 2);
    b.resize(128, 0);
    b[65] = 1;
    b.insert(b.end(), runs.begin(), runs.end());
    b.push_back(12);
    for (int i = 0; i < 256; ++i) b.insert(b.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
    return b;
}

// count copies of one pixel's bytes.
inline Bytes solid(int count, const Bytes& pixel) {
    Bytes bytes;
    for (int i = 0; i < count; ++i) bytes.insert(bytes.end(), pixel.begin(), pixel.end());
    return bytes;
}

// A baseline (or progressive) JPEG from rows top row first (components 1 or 3), through libjpeg's compressor.
inline Bytes jpegFile(int width, int height, int components, const Bytes& topFirst, bool progressive = false) {
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
    jpeg_set_quality(&info, 100, TRUE);
    // No chroma subsampling, so small colour blocks survive the round trip.
    for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(topFirst.data() + info.next_scanline * size_t(width * components));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    Bytes bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}
