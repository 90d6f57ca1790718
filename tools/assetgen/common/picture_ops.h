// Small pixel helpers shared by the picture generators.
#pragma once
#include <cstdint>

#include "common/image_writers.h"

// 0..1 (or beyond) to a byte, rounded and clamped.
inline uint8_t toByte(float v) {
    const float scaled = v * 255.0f + 0.5f;
    return scaled <= 0.0f ? 0 : (scaled >= 255.0f ? 255 : static_cast<uint8_t>(scaled));
}

// Area-averaging resize of any channel count (used to squeeze artwork drawn at its shown aspect into a
// power-of-two picture).
Picture resizeArea(const Picture& source, int width, int height);
