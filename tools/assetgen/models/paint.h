// Small painting helpers for the model textures: float colours, mixing, storing into a Picture, and
// painting a rectangle of texture space (u right, v up, as the models' coordinates use it).
#pragma once
#include <functional>

#include "common/image_writers.h"
#include "models/mesh.h"
#include "models/noise.h"

struct Rgb {
    float r, g, b;
};
inline Rgb mixRgb(Rgb a, Rgb b, float t) { return {mixf(a.r, b.r, t), mixf(a.g, b.g, t), mixf(a.b, b.b, t)}; }
inline Rgb scaleRgb(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }

inline void store(Picture& pic, int x, int y, Rgb c) {
    uint8_t* p = pic.at(x, y);
    p[0] = static_cast<uint8_t>(clamp01(c.r) * 255 + 0.5f);
    p[1] = static_cast<uint8_t>(clamp01(c.g) * 255 + 0.5f);
    p[2] = static_cast<uint8_t>(clamp01(c.b) * 255 + 0.5f);
}

// Paints the texels whose centres lie in the rectangle; the painter gets the local (s, t) in 0..1
// (t up) and the texel's own pixel size in s and t.
inline void paintRect(Picture& pic, UvRect r, const std::function<Rgb(float s, float t)>& painter) {
    for (int y = 0; y < pic.height; ++y) {
        const float v = 1 - (y + 0.5f) / pic.height;
        if (v < r.v0 || v > r.v1) continue;
        for (int x = 0; x < pic.width; ++x) {
            const float u = (x + 0.5f) / pic.width;
            if (u < r.u0 || u > r.u1) continue;
            store(pic, x, y, painter((u - r.u0) / (r.u1 - r.u0), (v - r.v0) / (r.v1 - r.v0)));
        }
    }
}

// The rectangle shrunk by a margin of texels, so mipmaps of an atlas keep neighbours apart.
inline UvRect inset(UvRect r, int texels, int size) {
    const float m = static_cast<float>(texels) / size;
    return {r.u0 + m, r.v0 + m, r.u1 - m, r.v1 - m};
}

// Panel plating: a grid of cols x rows panels with dark seams, each panel's tone slightly varied.
inline float panelShade(float s, float t, int cols, int rows, float seam, uint32_t seed) {
    const float ps = s * cols, pt = t * rows;
    const int cx = static_cast<int>(ps), cy = static_cast<int>(pt);
    const float fx = ps - cx, fy = pt - cy;
    const float tone = 0.9f + 0.1f * latticeValue(cx, cy, 0, seed);
    const float edge = std::min(std::min(fx, 1 - fx) * cols, std::min(fy, 1 - fy) * rows);
    return (edge < seam ? 0.6f : 1.0f) * tone;
}
