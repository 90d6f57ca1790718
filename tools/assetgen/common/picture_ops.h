// Small pixel helpers shared by the picture generators.
#pragma once
#include <cstdint>

// 0..1 (or beyond) to a byte, rounded and clamped.
inline uint8_t toByte(float v) {
    const float scaled = v * 255.0f + 0.5f;
    return scaled <= 0.0f ? 0 : (scaled >= 255.0f ? 255 : static_cast<uint8_t>(scaled));
}
