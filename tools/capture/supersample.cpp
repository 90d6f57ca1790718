// Box averaging in integers: the sum of an n x n block plus half the count, divided by the count, so a
// block of one value keeps that value and the mean is rounded to the nearest level, halves up.
#include "supersample.h"

#include <algorithm>

void averageBlocks(const std::vector<uint8_t>& bottomFirst, int width, int height, int n, RgbPicture& frame) {
    frame.width = width;
    frame.height = height;
    frame.pixels.resize(static_cast<size_t>(width) * height * 3);
    const size_t sourceRow = static_cast<size_t>(width) * n * 3;
    const size_t row = static_cast<size_t>(width) * 3;
    if (n == 1) {
        for (int y = 0; y < height; ++y)
            std::copy_n(&bottomFirst[(height - 1 - y) * sourceRow], row, &frame.pixels[y * row]);
        return;
    }
    const unsigned count = static_cast<unsigned>(n * n);
    std::vector<unsigned> sums(row);
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        // Output row y (top first) gathers source rows counted from the top of the rendered picture.
        for (int j = 0; j < n; ++j) {
            const uint8_t* source = &bottomFirst[(static_cast<size_t>(height) * n - 1 - (y * n + j)) * sourceRow];
            for (int x = 0; x < width; ++x)
                for (int i = 0; i < n; ++i)
                    for (int c = 0; c < 3; ++c) sums[x * 3 + c] += source[(x * n + i) * 3 + c];
        }
        for (size_t k = 0; k < row; ++k) frame.pixels[y * row + k] = static_cast<uint8_t>((sums[k] + count / 2) / count);
    }
}
