// Writers for the image formats the demo reads: JPEG (libjpeg) and uncompressed TGA.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// An 8-bit image, rows stored top first, channels RGB (3) or RGBA (4).
struct Picture {
    int width = 0, height = 0, channels = 3;
    std::vector<uint8_t> pixels;

    Picture() = default;
    Picture(int w, int h, int c) : width(w), height(h), channels(c), pixels(static_cast<size_t>(w) * h * c, 0) {}
    uint8_t* at(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * channels]; }
    const uint8_t* at(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * channels]; }
};

// JPEG of an RGB picture (quality 0..100). Returns false with a message on standard error on failure.
bool writeJpeg(const std::string& path, const Picture& picture, int quality = 90);

// Uncompressed 32-bit TGA (BGRA, bottom-left origin) of an RGBA picture, or 24-bit of an RGB one.
bool writeTga(const std::string& path, const Picture& picture);

// Creates the folders of a path's parent; false when that fails.
bool makeParentFolders(const std::string& path);
