// Improved-Perlin gradient noise over a permutation drawn from the deterministic generator.
#include "common/noise.h"

#include <cmath>

#include "common/rng.h"

GradientNoise::GradientNoise(uint64_t seed) {
    Rng rng(seed);
    for (int i = 0; i < 256; ++i) perm_[i] = static_cast<uint8_t>(i);
    for (int i = 255; i > 0; --i) {
        const int j = static_cast<int>(rng.next() % static_cast<uint64_t>(i + 1));
        const uint8_t swap = perm_[i];
        perm_[i] = perm_[j];
        perm_[j] = swap;
    }
    for (int i = 0; i < 256; ++i) perm_[256 + i] = perm_[i];
}

namespace {
inline float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }
inline float lerp(float a, float b, float t) { return a + (b - a) * t; }

// One of twelve edge directions of a cube, picked by the hash (Perlin's improved set).
inline float grad(int hash, float x, float y, float z) {
    const int h = hash & 15;
    const float u = h < 8 ? x : y;
    const float v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
    return ((h & 1) ? -u : u) + ((h & 2) ? -v : v);
}

inline int wrap(int value, int period) {
    const int m = value % period;
    return m < 0 ? m + period : m;
}
}  // namespace

float GradientNoise::gradientSum(int xi, int yi, int zi, float fx, float fy, float fz, int period) const {
    const int x0 = period > 0 ? wrap(xi, period) : (xi & 255);
    const int y0 = period > 0 ? wrap(yi, period) : (yi & 255);
    const int x1 = period > 0 ? wrap(xi + 1, period) : ((xi + 1) & 255);
    const int y1 = period > 0 ? wrap(yi + 1, period) : ((yi + 1) & 255);
    const int z0 = zi & 255, z1 = (zi + 1) & 255;
    const int a0 = perm_[x0], a1 = perm_[x1];
    const int b00 = perm_[a0 + y0], b01 = perm_[a0 + y1], b10 = perm_[a1 + y0], b11 = perm_[a1 + y1];
    const float u = fade(fx), v = fade(fy), w = fade(fz);
    const float n000 = grad(perm_[b00 + z0], fx, fy, fz);
    const float n100 = grad(perm_[b10 + z0], fx - 1, fy, fz);
    const float n010 = grad(perm_[b01 + z0], fx, fy - 1, fz);
    const float n110 = grad(perm_[b11 + z0], fx - 1, fy - 1, fz);
    const float n001 = grad(perm_[b00 + z1], fx, fy, fz - 1);
    const float n101 = grad(perm_[b10 + z1], fx - 1, fy, fz - 1);
    const float n011 = grad(perm_[b01 + z1], fx, fy - 1, fz - 1);
    const float n111 = grad(perm_[b11 + z1], fx - 1, fy - 1, fz - 1);
    return lerp(lerp(lerp(n000, n100, u), lerp(n010, n110, u), v),
                lerp(lerp(n001, n101, u), lerp(n011, n111, u), v), w);
}

float GradientNoise::at(float x, float y, float z) const {
    const float xf = std::floor(x), yf = std::floor(y), zf = std::floor(z);
    return gradientSum(static_cast<int>(xf), static_cast<int>(yf), static_cast<int>(zf), x - xf, y - yf, z - zf, 0);
}

float GradientNoise::atPeriodic(float x, float y, float z, int period) const {
    const float xf = std::floor(x), yf = std::floor(y), zf = std::floor(z);
    return gradientSum(static_cast<int>(xf), static_cast<int>(yf), static_cast<int>(zf), x - xf, y - yf, z - zf,
                       period < 1 ? 1 : (period > 256 ? 256 : period));
}

float fractalNoise(const GradientNoise& noise, float x, float y, float z, int octaves, float gain) {
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * noise.at(x, y, z);
        total += amplitude;
        amplitude *= gain;
        // Double the frequency and turn the axes (a fixed rotation with a shift), so octaves never align.
        const float nx = 1.6f * x + 1.2f * z + 17.31f;
        const float ny = 2.0f * y - 5.17f;
        const float nz = -1.2f * x + 1.6f * z + 3.71f;
        x = nx;
        y = ny;
        z = nz;
    }
    return sum / total * 1.4f;
}

float fractalNoisePeriodic(const GradientNoise& noise, float x, float y, float z, int period, int octaves,
                           float gain) {
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * noise.atPeriodic(x, y, z + 7.3f * static_cast<float>(i), period);
        total += amplitude;
        amplitude *= gain;
        x *= 2.0f;
        y *= 2.0f;
        z *= 2.0f;
        period *= 2;
    }
    return sum / total * 1.4f;
}

float smoothStep(float edge0, float edge1, float x) {
    float t = (x - edge0) / (edge1 - edge0);
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    return t * t * (3.0f - 2.0f * t);
}
