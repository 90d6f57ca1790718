// Matrix4: a column-major 4x4 matrix (m[4*col + row]) used on the CPU by the particle emitter.
#pragma once
#include "math/vector.h"

struct Matrix4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    Matrix4 multiply(const Matrix4& other) const;             // this x other: other acts first
    void rotate(float degrees, float x, float y, float z);    // this = this x R; the axis is not normalised
    Vector3 transformPoint(Vector3 p) const;                  // no fourth row, no division by w
};
