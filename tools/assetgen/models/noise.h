// Deterministic value noise for the model textures and the terrain: hashed lattice values, smooth
// interpolation, fractal sums. Pure functions of their arguments, so every run paints the same texels.
#pragma once
#include <cmath>
#include <cstdint>

inline float latticeValue(int x, int y, int z, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^ static_cast<uint32_t>(y) * 0xC2B2AE3Du ^
                 static_cast<uint32_t>(z) * 0x27D4EB2Fu;
    h ^= h >> 15, h *= 0x2C1B3C6Du, h ^= h >> 12, h *= 0x297A2D39u, h ^= h >> 15;
    return static_cast<float>(h & 0xFFFFFF) / 16777215.0f;   // 0..1
}

inline float smoothStep01(float t) { return t * t * (3 - 2 * t); }

// Value noise in 0..1, continuous in all three coordinates.
inline float valueNoise3(float x, float y, float z, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
    const float tx = smoothStep01(x - fx), ty = smoothStep01(y - fy), tz = smoothStep01(z - fz);
    float c[2][2];
    for (int dz = 0; dz < 2; ++dz)
        for (int dy = 0; dy < 2; ++dy) {
            const float a = latticeValue(ix, iy + dy, iz + dz, seed), b = latticeValue(ix + 1, iy + dy, iz + dz, seed);
            c[dz][dy] = a + (b - a) * tx;
        }
    const float y0 = c[0][0] + (c[0][1] - c[0][0]) * ty, y1 = c[1][0] + (c[1][1] - c[1][0]) * ty;
    return y0 + (y1 - y0) * tz;
}

inline float valueNoise2(float x, float y, uint32_t seed) { return valueNoise3(x, y, 0.5f, seed); }

// Fractal sum of octaves, normalised to 0..1.
inline float fractal3(float x, float y, float z, int octaves, uint32_t seed) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * valueNoise3(x, y, z, seed + o * 101);
        norm += amp;
        amp *= 0.5f, x *= 2.03f, y *= 2.03f, z *= 2.03f;
    }
    return sum / norm;
}
inline float fractal2(float x, float y, int octaves, uint32_t seed) { return fractal3(x, y, 0.37f, octaves, seed); }

inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float mixf(float a, float b, float t) { return a + (b - a) * t; }
inline float smoothRange(float e0, float e1, float x) { return smoothStep01(clamp01((x - e0) / (e1 - e0))); }
