// The view-volume codes under a perspective projection: each side, the margin that keeps a corner on the
// edge inside, points behind the eye, and the product order of projection and modelview. Which triangles
// the model leaves out for these codes is checked on a real context, with the pictures.
#include <gtest/gtest.h>

#include <vector>

#include "model/view_volume.h"

namespace {
constexpr OutsideCode left = 1, right = 2, bottom = 4, top = 8, nearSide = 16, farSide = 32;

// 90 degrees wide and high, near 1, far 100, looking down -z: at depth d the view spans -d .. d.
Matrix4 perspective() {
    Matrix4 m;
    m.m[10] = -101.0f / 99.0f;
    m.m[11] = -1;
    m.m[14] = -200.0f / 99.0f;
    m.m[15] = 0;
    return m;
}

std::vector<OutsideCode> codesOf(const Matrix4& clip, std::vector<Vector3> points) {
    std::vector<OutsideCode> codes = {99};   // stale content is replaced, not appended to
    computeOutsideCodes(clip, points, codes);
    return codes;
}
}  // namespace

TEST(ViewVolume, EachSideItsBitTheEdgeInsideAndBehindTheEyeBeyondNear) {
    const std::vector<OutsideCode> codes =
        codesOf(perspective(), {{0, 0, -10}, {10.5f, 0, -10}, {-10.5f, 0, -10}, {0, -10.5f, -10}, {0, 10.5f, -10},
                                {0, 0, -0.5f}, {0, 0, -150}, {10, 10, -10}, {10.0005f, -10.0005f, -10}, {0, 0, 5},
                                {30, 30, -10}});
    EXPECT_EQ(codes, (std::vector<OutsideCode>{0, right, left, bottom, top, nearSide, farSide, 0, 0,
                                               left | right | bottom | top | nearSide, right | top}));
}

TEST(ViewVolume, TheModelviewActsBeforeTheProjection) {
    Matrix4 modelview;
    modelview.m[12] = -50;   // a camera moved 50 along x
    const Matrix4 clip = perspective().multiply(modelview);
    EXPECT_EQ(codesOf(clip, {{50, 0, -10}, {0, 0, -10}}), (std::vector<OutsideCode>{0, left}));
    EXPECT_TRUE(codesOf(clip, {}).empty());
}
