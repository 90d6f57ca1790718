// The view-volume test in clip coordinates, where the volume is -w <= x, y, z <= w whatever the sign of w.
#include "model/view_volume.h"

#include <cmath>

#include "image/gl_api.h"

namespace {
// Relative to the size of the coordinates: far larger than float rounding, far smaller than a pixel.
constexpr float outsideMargin = 1e-4f;

bool beyond(float coordinate, float limit) {
    return coordinate - limit > outsideMargin * (std::fabs(coordinate) + std::fabs(limit)) + 1e-6f;
}
}  // namespace

Matrix4 currentClipMatrix() {
    Matrix4 projection, modelview;
    glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview.m);
    return projection.multiply(modelview);
}

void computeOutsideCodes(const Matrix4& clip, const std::vector<Vector3>& vertices, std::vector<OutsideCode>& codes) {
    codes.resize(vertices.size());
    const float* m = clip.m;
    for (size_t i = 0; i < vertices.size(); ++i) {
        const Vector3& p = vertices[i];
        const float x = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
        const float y = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
        const float z = m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14];
        const float w = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
        codes[i] = static_cast<OutsideCode>(beyond(-x, w) << 0 | beyond(x, w) << 1 | beyond(-y, w) << 2 |
                                            beyond(y, w) << 3 | beyond(-z, w) << 4 | beyond(z, w) << 5);
    }
}
