// PNG files through libpng: the capture tool's frames, the generated icons, the window's icon.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// An 8-bit RGB picture, rows stored top first.
struct RgbPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;   // width * height * 3
};

// Writes 8-bit pixels, rows top first, `channels` 3 (RGB) or 4 (RGBA); false with a message on standard
// error when the file cannot be written.
bool writePng(const std::string& path, int width, int height, int channels, const uint8_t* pixels);
bool writePng(const std::string& path, const RgbPicture& picture);

// Reads any PNG as 8-bit RGBA, rows top first, at most maxSide pixels a side; false (and no pixels) when
// the file is missing, damaged or larger.
bool readPngRgba(const std::string& path, int maxSide, int& width, int& height, std::vector<uint8_t>& pixels);
