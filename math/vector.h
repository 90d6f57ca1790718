// Vector3 for positions, directions, normals and control points; Vector2 for model texture coordinates.
#pragma once

struct Vector3 {
    float x, y, z;   // default construction leaves them unset, like the arrays of control points

    Vector3() = default;
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    // A component that leaves [lo, hi] jumps to 0; the bounds themselves are inside.
    void zeroOutsideRange(int lo, int hi);
};

struct Vector2 {
    float u, v;
};

Vector3 divide(Vector3 v, float s);     // multiplies by the float reciprocal of s; s = 0 gives inf/NaN
Vector3 cross(Vector3 a, Vector3 b);    // right-handed a x b
Vector3 normalize(Vector3 v);           // no guard: a zero vector gives NaN
