// Shrinking 4-byte pixel images by area averaging, as gluScaleImage does, without needing a GL context.
#include <algorithm>
#include <cmath>
#include <vector>

#include "image/image.h"

namespace {
// The source cells one target cell covers along an axis, with the part of each cell that lies inside.
struct Span {
    int first = 0;
    std::vector<double> weights;
};

Span coverage(int index, double ratio, int sourceSize) {
    double low = index * ratio;
    double high = std::min((index + 1) * ratio, static_cast<double>(sourceSize));
    Span span;
    span.first = static_cast<int>(std::floor(low));
    for (int cell = span.first; cell < sourceSize && cell < high; ++cell) {
        double weight = std::min(high, cell + 1.0) - std::max(low, static_cast<double>(cell));
        span.weights.push_back(std::max(weight, 0.0));
    }
    return span;
}
}  // namespace

int32_t floorPowerOfTwo(int32_t n) {
    int32_t power = 1;
    while (n >= 2 && power <= n / 2) power *= 2;
    return power;
}

void scaleImageRgba(const uint8_t* source, int sourceWidth, int sourceHeight, uint8_t* target,
                    int targetWidth, int targetHeight) {
    double ratioX = static_cast<double>(sourceWidth) / targetWidth;
    double ratioY = static_cast<double>(sourceHeight) / targetHeight;
    std::vector<Span> columns(static_cast<size_t>(targetWidth));
    for (int x = 0; x < targetWidth; ++x) columns[static_cast<size_t>(x)] = coverage(x, ratioX, sourceWidth);
    for (int y = 0; y < targetHeight; ++y) {
        Span rows = coverage(y, ratioY, sourceHeight);
        for (int x = 0; x < targetWidth; ++x) {
            const Span& columnSpan = columns[static_cast<size_t>(x)];
            double totals[4] = {};
            double area = 0.0;
            for (size_t r = 0; r < rows.weights.size(); ++r) {
                const uint8_t* row = source + (static_cast<size_t>(rows.first + static_cast<int>(r)) *
                                               static_cast<size_t>(sourceWidth)) * 4;
                for (size_t c = 0; c < columnSpan.weights.size(); ++c) {
                    double weight = rows.weights[r] * columnSpan.weights[c];
                    const uint8_t* pixel = row + static_cast<size_t>(columnSpan.first + static_cast<int>(c)) * 4;
                    for (int k = 0; k < 4; ++k) totals[k] += weight * pixel[k];
                    area += weight;
                }
            }
            uint8_t* out = target + (static_cast<size_t>(y) * static_cast<size_t>(targetWidth) + x) * 4;
            for (int k = 0; k < 4; ++k)
                out[k] = static_cast<uint8_t>(area > 0.0 ? std::lround(std::clamp(totals[k] / area, 0.0, 255.0)) : 0);
        }
    }
}
