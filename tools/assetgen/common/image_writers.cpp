// JPEG through libjpeg's stdio destination; TGA written by hand, rows flipped to bottom-left origin.
#include "common/image_writers.h"

#include <cstdio>
#include <filesystem>

#include <jpeglib.h>

bool makeParentFolders(const std::string& path) {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return true;
    std::filesystem::create_directories(parent, error);
    return !error;
}

bool writeJpeg(const std::string& path, const Picture& picture, int quality) {
    if (picture.channels != 3 || picture.width <= 0 || picture.height <= 0 || !makeParentFolders(path)) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.at(0, static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

bool writeTga(const std::string& path, const Picture& picture) {
    if ((picture.channels != 3 && picture.channels != 4) || picture.width <= 0 || picture.width > 65535 ||
        picture.height <= 0 || picture.height > 65535 || !makeParentFolders(path))
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    uint8_t header[18] = {};
    header[2] = 2;   // uncompressed true colour
    header[12] = static_cast<uint8_t>(picture.width & 0xFF);
    header[13] = static_cast<uint8_t>(picture.width >> 8);
    header[14] = static_cast<uint8_t>(picture.height & 0xFF);
    header[15] = static_cast<uint8_t>(picture.height >> 8);
    header[16] = static_cast<uint8_t>(picture.channels * 8);
    header[17] = picture.channels == 4 ? 8 : 0;   // alpha bits; origin bottom left
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    std::vector<uint8_t> row(static_cast<size_t>(picture.width) * picture.channels);
    for (int y = picture.height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = picture.at(x, y);
            uint8_t* out = &row[static_cast<size_t>(x) * picture.channels];
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
            if (picture.channels == 4) out[3] = p[3];
        }
        ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
    }
    return std::fclose(file) == 0 && ok;
}
