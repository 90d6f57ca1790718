// PNG output of RGB pictures through libpng.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// An 8-bit RGB picture, rows stored top first.
struct RgbPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;   // width * height * 3
};

// Writes the picture; false with a message on standard error when the file cannot be written.
bool writePng(const std::string& path, const RgbPicture& picture);
