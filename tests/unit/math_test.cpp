// Vectors, matrices and Catmull-Rom paths: the cases that catch a wrong sign, order or segment rule.
#include <gtest/gtest.h>

#include <cmath>

#include "math/catmull_rom.h"
#include "math/matrix.h"
#include "math/vector.h"

namespace {
void expectNear(Vector3 actual, Vector3 expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}
void expectOrigin(Vector3 v) {
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
}
Matrix4 translation(float x, float y, float z) {
    Matrix4 m;
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    return m;
}
}  // namespace

TEST(Vector, CrossDivideNormalize) {
    expectNear(cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1});
    expectNear(cross({0, 1, 0}, {1, 0, 0}), {0, 0, -1});
    expectNear(cross({1, 2, 3}, {4, 5, 6}), {-3, 6, -3});
    const Vector3 unit = normalize({3, 4, 0});
    EXPECT_EQ(unit.x, 0.6f);
    EXPECT_EQ(unit.y, 0.8f);
    EXPECT_EQ(unit.z, 0.0f);
    expectNear(divide({2, 4, 6}, -2), {-1, -2, -3});
    // Dividing multiplies by the float reciprocal: 1/3 rounded, then times 3, is not exactly 1.
    EXPECT_EQ(divide({3, 0, 0}, 3).x, 3.0f * (1.0f / 3.0f));
    // No guard: zero gives non-finite components.
    EXPECT_FALSE(std::isfinite(divide({1, 1, 1}, 0).x));
    EXPECT_TRUE(std::isnan(normalize({0, 0, 0}).x));
}

TEST(Vector, ZeroOutsideRangeResetsInsteadOfClamping) {
    Vector3 a{361, -360, 10};
    a.zeroOutsideRange(-360, 360);
    expectNear(a, {0, -360, 10}, 0);
    Vector3 b{-360.5f, 360, 720};
    b.zeroOutsideRange(-360, 360);
    expectNear(b, {0, 360, 0}, 0);
}

TEST(Matrix, RotationFollowsOpenGL) {
    const Matrix4 identity;
    expectNear(identity.transformPoint({7, -8, 9}), {7, -8, 9}, 0);

    Matrix4 rz;
    rz.rotate(90, 0, 0, 1);
    const Vector3 turned = rz.transformPoint({1, 0, 0});
    expectNear(turned, {0, 1, 0}, 1e-6f);
    EXPECT_LT(turned.x, 0.0f);   // cos of the single-precision pi/2 is about -4.4e-8
    EXPECT_NEAR(turned.x, -4.37e-8, 1e-8);

    Matrix4 rx;
    rx.rotate(90, 1, 0, 0);
    expectNear(rx.transformPoint({0, 1, 0}), {0, 0, 1}, 1e-6f);

    Matrix4 back;
    back.rotate(-90, 0, 0, 1);
    expectNear(back.transformPoint({1, 0, 0}), {0, -1, 0}, 1e-6f);

    Matrix4 full;
    full.rotate(360, 0.6f, 0.8f, 0);
    expectNear(full.transformPoint({3, -2, 5}), {3, -2, 5}, 1e-5f);
}

TEST(Matrix, AxisIsNotNormalised) {
    Matrix4 zero;
    zero.rotate(0, 2, 0, 0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(zero.m[i], Matrix4{}.m[i]) << i;
    Matrix4 quarter;
    quarter.rotate(90, 2, 0, 0);
    EXPECT_NEAR(quarter.m[0], 4.0f, 1e-6f);
}

TEST(Matrix, ProductAppliesTheArgumentFirst) {
    const Matrix4 a = translation(5, 0, 0);
    Matrix4 b;
    b.rotate(90, 0, 0, 1);
    expectNear(a.multiply(b).transformPoint({1, 0, 0}), {5, 1, 0}, 1e-5f);
    expectNear(b.multiply(a).transformPoint({1, 0, 0}), {0, 6, 0}, 1e-5f);
    // rotate post-multiplies: translating then rotating the matrix rotates the point first.
    Matrix4 c = translation(5, 0, 0);
    c.rotate(90, 0, 0, 1);
    expectNear(c.transformPoint({1, 0, 0}), {5, 1, 0}, 1e-5f);
}

TEST(CatmullRom, SegmentEndsAndMidpoint) {
    const Vector3 p[4] = {{0, 0, 0}, {1, 2, 3}, {4, 4, 4}, {10, -2, 0}};
    expectNear(catmullRom(p[0], p[1], p[2], p[3], 0), p[1], 0);
    expectNear(catmullRom(p[0], p[1], p[2], p[3], 1), p[2], 1e-6f);
    const Vector3 mid = splinePoint(p, 4, 0.5f);
    for (int c = 0; c < 3; ++c) {
        const float* comp[4] = {&p[0].x + c, &p[1].x + c, &p[2].x + c, &p[3].x + c};
        const float expected = -0.0625f * *comp[0] + 0.5625f * *comp[1] + 0.5625f * *comp[2] - 0.0625f * *comp[3];
        EXPECT_NEAR((&mid.x)[c], expected, 1e-5f);
    }
    // Weights sum to one for any u, so a constant path stays constant.
    const Vector3 k{3, 3, 3};
    for (float u = -0.5f; u <= 1.5f; u += 0.25f) expectNear(catmullRom(k, k, k, k, u), k, 1e-5f);
    // t = 1 with four points selects segment 1, which the table cannot feed.
    expectOrigin(splinePoint(p, 4, 1.0f));
    // A negative t extrapolates segment 0 rather than returning p1.
    const Vector3 before = splinePoint(p, 4, -0.5f);
    expectNear(before, catmullRom(p[0], p[1], p[2], p[3], -0.5f), 0);
    EXPECT_NE(before.x, p[1].x);
}

TEST(CatmullRom, SegmentSelectionAndTableEnd) {
    Vector3 points[14];
    for (int i = 0; i < 14; ++i) points[i] = {static_cast<float>(i), static_cast<float>(i * i), 0};
    expectNear(splinePoint(points, 6, 1.0f), points[2], 0);
    const Vector3 nearEnd = splinePoint(points, 6, 2.999f);
    expectNear(nearEnd, points[4], 0.01f);
    expectOrigin(splinePoint(points, 6, 3.0f));
    EXPECT_NEAR(splinePoint(points, 10, 6.96f).x, points[8].x, 0.05f);
    EXPECT_LT(splinePoint(points, 10, 6.96f).x, 8.0f);
    expectOrigin(splinePoint(points, 10, 7.0f));
    expectOrigin(splinePoint(points, 14, 10.5f));   // an eleventh segment exists but is never reached
    expectNear(splinePoint(points, 14, 9.5f), catmullRom(points[9], points[10], points[11], points[12], 0.5f), 0);
}

TEST(CatmullRom, DoubledEndPointsStartAndArriveThere) {
    const Vector3 p[5] = {{0, 0, 0}, {0, 0, 0}, {10, 0, 0}, {20, 5, 0}, {20, 5, 0}};
    expectNear(splinePoint(p, 5, 0.0f), p[1], 0);
    // Tangent at the start is (p2 - p1) / 2: a small step moves about 5 units per unit of u.
    EXPECT_NEAR(splinePoint(p, 5, 0.001f).x / 0.001f, 5.0f, 0.05f);
    expectNear(splinePoint(p, 5, 1.9999f), p[3], 0.01f);
    expectOrigin(splinePoint(p, 5, 2.0f));
}
