// Camera-facing quads on a real context (feedback mode): a particle's quad around its position in its
// colour and texture, and billboards facing the camera whatever the rotation, at their scaled size,
// with explicit axes overriding the current rotation; the manager's two sprite lists kept apart.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "demo/billboard.h"
#include "particles/particle.h"
#include "particles/particle_system.h"
#include "support/gl_feedback.h"
#include "support/gl_test_context.h"

namespace {
// What draw puts on a 200 x 200 window under a -100..100 view (one unit a pixel, origin at the
// centre): polygons wound counter-clockwise whose every vertex sits on a corner of x0..x1 by y0..y1
// with the matching texture corner ((0, 0) at the bottom left), all four corners drawn.
std::vector<FeedbackVertex> expectQuad(const std::function<void()>& draw, float x0, float x1, float y0, float y1) {
    bool overflow = false;
    const auto polygons = captureFeedbackPolygons(draw, &overflow);
    EXPECT_FALSE(overflow);
    std::vector<FeedbackVertex> vertices;
    bool corner[2][2] = {};
    for (const FeedbackPolygon& polygon : polygons) {
        float area = 0.0f;
        for (size_t i = 0, n = polygon.vertices.size(); i < n; ++i) {
            const FeedbackVertex &a = polygon.vertices[i], &b = polygon.vertices[(i + 1) % n];
            area += a.x * b.y - b.x * a.y;
        }
        EXPECT_GT(area, 0.0f);
        for (const FeedbackVertex& v : polygon.vertices) {
            const float x = v.x - 100.0f, y = v.y - 100.0f;
            const int right = std::fabs(x - x1) < 1e-3f, top = std::fabs(y - y1) < 1e-3f;
            EXPECT_TRUE(right || std::fabs(x - x0) < 1e-3f) << x;
            EXPECT_TRUE(top || std::fabs(y - y0) < 1e-3f) << y;
            EXPECT_EQ(v.tex[0], static_cast<float>(right));
            EXPECT_EQ(v.tex[1], static_cast<float>(top));
            corner[right][top] = true;
            vertices.push_back(v);
        }
    }
    EXPECT_TRUE(corner[0][0] && corner[0][1] && corner[1][0] && corner[1][1]);
    return vertices;
}

class QuadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(200, 200));
        glViewport(0, 0, 200, 200);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-100, 100, -100, 100, -100, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_CULL_FACE);
    }
    void TearDown() override {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};
}  // namespace

TEST_F(QuadTest, AParticleIsOneQuadAroundItsPositionInItsColourAndTexture) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    PuffParticle puff;
    puff.texture = texture;
    puff.size = 10.0f;
    puff.position = Vector3(20.0f, -30.0f, 7.0f);
    const float colour[4] = {1.5f, 0.5f, 0.25f, 0.75f};  // red above 1: clamped by OpenGL only
    std::copy(colour, colour + 4, puff.colour);
    for (const FeedbackVertex& v : expectQuad([&] { puff.draw(); }, 10, 30, -40, -20)) {
        EXPECT_NEAR(v.z, (1.0f - 7.0f / 100.0f) * 0.5f, 1e-5f);  // the depth of z = 7
        EXPECT_FLOAT_EQ(v.colour[0], 1.0f);
        EXPECT_FLOAT_EQ(v.colour[1], 0.5f);
        EXPECT_FLOAT_EQ(v.colour[3], 0.75f);
    }
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture);
    EXPECT_EQ(puff.colour[0], 1.5f);
    glDeleteTextures(1, &texture);

    // Head and smoke sprites go to their own lists (a missing file still takes a name).
    ParticleSystem system;
    system.addHeadTexture("halvex-missing-head.tga");
    system.addSmokeTexture("halvex-missing-smoke.tga");
    system.addSmokeTexture("halvex-missing-smoke.tga");
    EXPECT_EQ(system.headTextures.count, 1);
    EXPECT_EQ(system.smokeTextures.count, 2);
    glDeleteTextures(system.headTextures.count, system.headTextures.names);
    glDeleteTextures(system.smokeTextures.count, system.smokeTextures.names);
    system.clear();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(QuadTest, BillboardsFaceTheCameraAtTheirScaledSizeUnlessGivenAxes) {
    // Any rotation: the square lies in the screen plane. The scale of 1.5 is in the axes read from the
    // matrix and in the matrix itself, so half-size 20 reaches 45.
    glRotatef(50.0f, 0.3f, 1.0f, 0.2f);
    glScalef(1.5f, 1.5f, 1.5f);
    expectQuad([] { drawBillboard(Vector3{0.0f, 0.0f, 0.0f}, 20.0f); }, -45, 45, -45, 45);

    // Rolled by 45 degrees but drawn with the axes read before: a diamond with its corners on the axes.
    glLoadIdentity();
    const BillboardAxes upright = readBillboardAxes();
    glRotatef(45.0f, 0.0f, 0.0f, 1.0f);
    int corners = 0;
    for (const FeedbackPolygon& polygon :
         captureFeedbackPolygons([&] { drawBillboardWithAxes(Vector3{0.0f, 0.0f, 0.0f}, 20.0f, upright); }))
        for (const FeedbackVertex& v : polygon.vertices) {
            const float x = v.x - 100.0f, y = v.y - 100.0f;
            EXPECT_NEAR(std::fabs(x) + std::fabs(y), 20.0f * std::sqrt(2.0f), 1e-3f) << x << "," << y;
            EXPECT_TRUE(std::fabs(x) < 1e-3f || std::fabs(y) < 1e-3f) << x << "," << y;
            ++corners;
        }
    EXPECT_GE(corners, 4);
}
