// Feedback-mode capture for GL tests: the polygons a draw call produces, with colours and texture coordinates.
#include "support/gl_feedback.h"

#include "image/gl_api.h"

namespace {
constexpr int floatsPerVertex = 3 + 4 + 4;  // GL_3D_COLOR_TEXTURE in RGBA mode

FeedbackVertex readVertex(const std::vector<GLfloat>& buffer, int at) {
    FeedbackVertex v{};
    v.x = buffer[at];
    v.y = buffer[at + 1];
    v.z = buffer[at + 2];
    for (int i = 0; i < 4; ++i) v.colour[i] = buffer[at + 3 + i];
    for (int i = 0; i < 4; ++i) v.tex[i] = buffer[at + 7 + i];
    return v;
}
}  // namespace

std::vector<FeedbackPolygon> captureFeedbackPolygons(const std::function<void()>& draw, bool* overflow,
                                                     int capacity) {
    std::vector<GLfloat> buffer(static_cast<size_t>(capacity));
    glFeedbackBuffer(capacity, GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    if (overflow) *overflow = used < 0;
    std::vector<FeedbackPolygon> polygons;
    const int end = used < 0 ? 0 : used;
    int at = 0;
    while (at < end) {
        const int token = static_cast<int>(buffer[at++]);
        int vertices = 0;
        switch (token) {
        case GL_POLYGON_TOKEN: {
            if (at >= end) return polygons;
            const int n = static_cast<int>(buffer[at++]);
            if (n < 0 || at + n * floatsPerVertex > end) return polygons;
            FeedbackPolygon polygon;
            for (int i = 0; i < n; ++i) polygon.vertices.push_back(readVertex(buffer, at + i * floatsPerVertex));
            polygons.push_back(std::move(polygon));
            vertices = n;
            break;
        }
        case GL_POINT_TOKEN:
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN:
            vertices = 1;
            break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            vertices = 2;
            break;
        case GL_PASS_THROUGH_TOKEN:
            ++at;
            break;
        default:
            return polygons;  // not a token: the buffer cannot be parsed further
        }
        at += vertices * floatsPerVertex;
    }
    return polygons;
}
