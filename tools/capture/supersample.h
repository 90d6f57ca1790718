// From what glReadPixels returns (rows bottom first, n times the size) to a frame of the asked size,
// rows top first, each pixel the rounded mean of its n x n block.
#pragma once
#include <cstdint>
#include <vector>

#include "image/png_file.h"

// bottomFirst holds (width x n) x (height x n) RGB pixels; n = 1 only flips the rows.
void averageBlocks(const std::vector<uint8_t>& bottomFirst, int width, int height, int n, RgbPicture& frame);
