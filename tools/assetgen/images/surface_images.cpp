// Tileable surfaces: the cloud picture and the grey detail that the terrain's second texture unit
// multiplies in (scaled by two, so a mean of 128 keeps the terrain's brightness).
#include <algorithm>
#include <cmath>
#include <vector>

#include "common/image_writers.h"
#include "common/noise.h"
#include "common/picture_ops.h"
#include "images/images.h"

namespace {

// Soft white clouds over a deep sky blue, repeating seamlessly in both directions.
Picture makeClouds() {
    constexpr int size = 512, period = 4;
    const GradientNoise noise(0xC10Dull);
    Picture picture(size, size, 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size * period, v = (y + 0.5f) / size * period;
            const float n = fractalNoisePeriodic(noise, u, v, 0.0f, period, 6, 0.55f);
            const float cover = smoothStep(-0.15f, 0.6f, n);
            const float shade = 0.78f + 0.22f * smoothStep(-0.2f, 0.9f, n);
            uint8_t* out = picture.at(x, y);
            out[0] = toByte(0.18f + (shade - 0.18f) * cover);
            out[1] = toByte(0.36f + (shade - 0.36f) * cover);
            out[2] = toByte(0.72f + (shade * 1.02f - 0.72f) * cover);
        }
    return picture;
}

// Rocky grain: a few fractal layers and a fine speckle, shifted and scaled to mean 128 and a spread of
// about 22 levels, so multiplying by it (times two) keeps the terrain's average colour.
Picture makeDetail() {
    constexpr int size = 256, period = 8;
    const GradientNoise noise(0xDE7A112ull);
    std::vector<float> value(static_cast<size_t>(size) * size);
    double sum = 0.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size * period, v = (y + 0.5f) / size * period;
            const float coarse = fractalNoisePeriodic(noise, u, v, 0.0f, period, 5, 0.6f);
            const float fine = noise.atPeriodic(u * 8.0f, v * 8.0f, 9.5f, period * 8);
            const float ridges = 1.0f - std::fabs(fractalNoisePeriodic(noise, u * 2.0f, v * 2.0f, 4.2f, period * 2, 3));
            const float f = coarse + 0.35f * fine + 0.4f * ridges * ridges;
            value[static_cast<size_t>(y) * size + x] = f;
            sum += f;
        }
    const double mean = sum / value.size();
    double spread = 0.0;
    for (float f : value) spread += (f - mean) * (f - mean);
    const double scale = 22.0 / std::sqrt(spread / value.size());
    Picture picture(size, size, 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double level = 128.0 + (value[static_cast<size_t>(y) * size + x] - mean) * scale;
            uint8_t* out = picture.at(x, y);
            out[0] = out[1] = out[2] = static_cast<uint8_t>(std::clamp(std::lround(level), 0L, 255L));
        }
    return picture;
}

}  // namespace

bool writeSurfaceImages(const std::string& folder) {
    return writeJpeg(folder + "mrak.jpg", makeClouds(), 88) && writeJpeg(folder + "detail2.jpg", makeDetail(), 92);
}
