// Matrix product, OpenGL's rotation formula with the single-precision pi, and the point transform.
#include "math/matrix.h"

#include <cmath>

Matrix4 Matrix4::multiply(const Matrix4& other) const {
    Matrix4 out;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            out.m[4 * j + i] = m[i] * other.m[4 * j] + m[4 + i] * other.m[4 * j + 1] +
                               m[8 + i] * other.m[4 * j + 2] + m[12 + i] * other.m[4 * j + 3];
    return out;
}

void Matrix4::rotate(float degrees, float x, float y, float z) {
    const double theta = degrees * 0.005555555555555556 * 3.1415927410125732;
    const float c = static_cast<float>(std::cos(theta));
    const float s = static_cast<float>(std::sin(theta));
    const float t = static_cast<float>(1.0 - std::cos(theta));
    Matrix4 r;
    r.m[0] = x * x * t + c;
    r.m[1] = x * y * t + z * s;
    r.m[2] = x * z * t - y * s;
    r.m[3] = 0;
    r.m[4] = x * y * t - z * s;
    r.m[5] = y * y * t + c;
    r.m[6] = y * z * t + x * s;
    r.m[7] = 0;
    r.m[8] = x * z * t + y * s;
    r.m[9] = y * z * t - x * s;
    r.m[10] = z * z * t + c;
    r.m[11] = 0;
    r.m[12] = r.m[13] = r.m[14] = 0;
    r.m[15] = 1;
    const Matrix4 product = multiply(r);
    *this = product;
}

Vector3 Matrix4::transformPoint(Vector3 p) const {
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
            m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}
