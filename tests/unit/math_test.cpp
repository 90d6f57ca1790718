// Vectors, matrices and Catmull-Rom paths: the cases that catch a wrong sign, order or segment rule.
#include <gtest/gtest.h>

#include <cmath>

#include "math/catmull_rom.h"
#include "math/matrix.h"
#include "math/vector.h"

namespace {
void expectNear(Vector3 actual, Vector3 expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}
}  // namespace

TEST(Vector, CrossDivideNormalizeAndZeroOutsideRange) {
    expectNear(cross({1, 2, 3}, {4, 5, 6}), {-3, 6, -3}, 0);
    expectNear(normalize({3, 4, 0}), {0.6f, 0.8f, 0}, 0);
    expectNear(divide({2, 4, 6}, -2), {-1, -2, -3}, 0);
    // Dividing multiplies by the float reciprocal: 1/3 rounded, then times 3, is not exactly 1.
    EXPECT_EQ(divide({3, 0, 0}, 3).x, 3.0f * (1.0f / 3.0f));
    // No guard: zero gives non-finite components.
    EXPECT_FALSE(std::isfinite(divide({1, 1, 1}, 0).x));
    EXPECT_TRUE(std::isnan(normalize({0, 0, 0}).x));
    // A component outside the range is reset to 0, not clamped; the bounds are inside.
    Vector3 v{361, -360, -360.5f};
    v.zeroOutsideRange(-360, 360);
    expectNear(v, {0, -360, 0}, 0);
}

TEST(Matrix, RotationFollowsOpenGLAndProductsApplyTheArgumentFirst) {
    const struct {
        float degrees, x, y, z;
        Vector3 in, out;
    } turns[] = {{90, 0, 0, 1, {1, 0, 0}, {0, 1, 0}},    {90, 1, 0, 0, {0, 1, 0}, {0, 0, 1}},
                 {-90, 0, 0, 1, {1, 0, 0}, {0, -1, 0}},  {360, 0.6f, 0.8f, 0, {3, -2, 5}, {3, -2, 5}},
                 {0, 2, 0, 0, {7, -8, 9}, {7, -8, 9}},   {90, 2, 0, 0, {1, 0, 0}, {4, 0, 0}}};   // axis not normalised
    for (const auto& t : turns) {
        SCOPED_TRACE(::testing::Message() << t.degrees << " degrees about " << t.x << " " << t.y << " " << t.z);
        Matrix4 m;
        m.rotate(t.degrees, t.x, t.y, t.z);
        expectNear(m.transformPoint(t.in), t.out, 1e-5f);
    }
    Matrix4 quarter;
    quarter.rotate(90, 0, 0, 1);
    EXPECT_NEAR(quarter.transformPoint({1, 0, 0}).x, -4.37e-8, 1e-8) << "cos of the float pi/2 is about -4.4e-8";

    Matrix4 shift;
    shift.m[12] = 5;
    expectNear(shift.multiply(quarter).transformPoint({1, 0, 0}), {5, 1, 0}, 1e-5f);
    expectNear(quarter.multiply(shift).transformPoint({1, 0, 0}), {0, 6, 0}, 1e-5f);
    // rotate post-multiplies: translating then rotating the matrix rotates the point first.
    shift.rotate(90, 0, 0, 1);
    expectNear(shift.transformPoint({1, 0, 0}), {5, 1, 0}, 1e-5f);
}

TEST(CatmullRom, SegmentEndsMidpointAndTheSegmentRules) {
    const Vector3 p[4] = {{0, 0, 0}, {1, 2, 3}, {4, 4, 4}, {10, -2, 0}};
    expectNear(catmullRom(p[0], p[1], p[2], p[3], 0), p[1], 0);
    expectNear(catmullRom(p[0], p[1], p[2], p[3], 1), p[2], 1e-6f);
    expectNear(splinePoint(p, 4, 0.5f), {2.1875f, 3.5f, 3.9375f}, 1e-5f);   // -1/16, 9/16, 9/16, -1/16
    // The weights sum to one for any u, so a constant path stays constant.
    for (float u = -0.5f; u <= 1.5f; u += 0.25f) expectNear(catmullRom(p[2], p[2], p[2], p[2], u), p[2], 1e-5f);
    // A negative t extrapolates segment 0 rather than returning p1.
    expectNear(splinePoint(p, 4, -0.5f), catmullRom(p[0], p[1], p[2], p[3], -0.5f), 0);
    EXPECT_NE(splinePoint(p, 4, -0.5f).x, p[1].x);

    // The integer part of t picks the segment; one past the table's end, or past the tenth, gives 0.
    Vector3 q[14];
    for (int i = 0; i < 14; ++i) q[i] = {static_cast<float>(i), static_cast<float>(i * i), 0};
    expectNear(splinePoint(q, 6, 1.0f), q[2], 0);
    expectNear(splinePoint(q, 6, 2.999f), q[4], 0.01f);
    EXPECT_LT(splinePoint(q, 10, 6.96f).x, 8.0f);
    expectNear(splinePoint(q, 14, 9.5f), catmullRom(q[9], q[10], q[11], q[12], 0.5f), 0);
    for (const auto& [count, t] : {std::pair{4, 1.0f}, {6, 3.0f}, {10, 7.0f}, {14, 10.5f}})
        expectNear(splinePoint(q, count, t), {0, 0, 0}, 0);
}
