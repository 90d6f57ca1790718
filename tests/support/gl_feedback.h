// Reads back what GL would rasterise: runs drawing in feedback mode and returns its polygons in order.
#pragma once
#include <functional>
#include <vector>

struct FeedbackVertex {
    float x, y, z;    // window coordinates (pixels; z is depth 0..1)
    float colour[4];  // RGBA
    float tex[4];     // s, t, r, q of unit 0
};

struct FeedbackPolygon {
    std::vector<FeedbackVertex> vertices;
};

// Runs draw with GL_FEEDBACK (GL_3D_COLOR_TEXTURE) and parses the buffer. Sets `overflow` when the
// buffer of `capacity` floats was too small; points, lines and pixel tokens are skipped.
std::vector<FeedbackPolygon> captureFeedbackPolygons(const std::function<void()>& draw, bool* overflow = nullptr,
                                                     int capacity = 1 << 18);
