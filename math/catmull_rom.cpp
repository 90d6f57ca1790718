// The Catmull-Rom blend with tension one half, evaluated segment by segment.
#include "math/catmull_rom.h"

Vector3 catmullRom(Vector3 p0, Vector3 p1, Vector3 p2, Vector3 p3, float u) {
    const float u2 = u * u;
    const float w0 = 0.5f * ((2.0f - u) * u2 - u);
    const float w1 = 0.5f * (3.0f * u2 * u - 5.0f * u2 + 2.0f);
    const float w2 = 0.5f * ((4.0f - 3.0f * u) * u2 + u);
    const float w3 = 0.5f * (u - 1.0f) * u2;
    return {w3 * p3.x + w2 * p2.x + w1 * p1.x + w0 * p0.x,
            w3 * p3.y + w2 * p2.y + w1 * p1.y + w0 * p0.y,
            w3 * p3.z + w2 * p2.z + w1 * p1.z + w0 * p0.z};
}

Vector3 splinePoint(const Vector3* points, int count, float t) {
    int segment = -1;
    float u = 0.0f;
    if (t < 1.0f) {
        segment = 0;
        u = t;
    } else {
        for (int k = 1; k <= 9; ++k) {
            if (t < static_cast<float>(k + 1)) {
                segment = k;
                u = static_cast<float>(static_cast<double>(t) - k);
                break;
            }
        }
    }
    if (segment < 0 || segment >= count - 3) return {0.0f, 0.0f, 0.0f};
    return catmullRom(points[segment], points[segment + 1], points[segment + 2], points[segment + 3], u);
}
