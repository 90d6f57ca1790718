// Vector operations in single precision, each reciprocal formed once and multiplied.
#include "math/vector.h"

#include <cmath>

void Vector3::zeroOutsideRange(int lo, int hi) {
    const float low = static_cast<float>(lo);
    const float high = static_cast<float>(hi);
    if (x > high || x < low) x = 0.0f;
    if (y > high || y < low) y = 0.0f;
    if (z > high || z < low) z = 0.0f;
}

Vector3 divide(Vector3 v, float s) {
    const float r = 1.0f / s;
    return {v.x * r, v.y * r, v.z * r};
}

Vector3 cross(Vector3 a, Vector3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector3 normalize(Vector3 v) {
    const float r = static_cast<float>(1.0 / std::sqrt(static_cast<double>(v.x * v.x + v.y * v.y + v.z * v.z)));
    return {v.x * r, v.y * r, v.z * r};
}
