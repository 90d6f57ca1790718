// Particle::draw on a real context: one +Z-facing quad around the position, counter-clockwise, in the
// particle's colour and texture; and the manager's two sprite lists kept apart.
#include <gtest/gtest.h>

#include <cmath>

#include "particles/particle.h"
#include "particles/particle_system.h"
#include "support/gl_feedback.h"
#include "support/gl_test_context.h"

TEST(ParticleDraw, OneQuadAroundThePositionInItsColourAndTexture) {
    ASSERT_TRUE(makeGlTestContext(200, 200));
    glViewport(0, 0, 200, 200);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-100, 100, -100, 100, -100, 100);  // one unit a pixel: window x = 100 + x
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    PuffParticle puff;
    puff.texture = texture;
    puff.size = 10.0f;
    puff.position = Vector3(20.0f, -30.0f, 7.0f);
    const float colour[4] = {1.5f, 0.5f, 0.25f, 0.75f};  // red above 1: clamped by OpenGL only
    std::copy(colour, colour + 4, puff.colour);

    bool overflow = false;
    const auto polygons = captureFeedbackPolygons([&] { puff.draw(); }, &overflow);
    ASSERT_FALSE(overflow);
    ASSERT_FALSE(polygons.empty());
    bool corner[2][2] = {};
    for (const FeedbackPolygon& polygon : polygons) {
        float area = 0.0f;  // positive in window space: counter-clockwise
        const size_t n = polygon.vertices.size();
        for (size_t i = 0; i < n; ++i) {
            const FeedbackVertex &a = polygon.vertices[i], &b = polygon.vertices[(i + 1) % n];
            area += a.x * b.y - b.x * a.y;
        }
        EXPECT_GT(area, 0.0f);
        for (const FeedbackVertex& v : polygon.vertices) {
            const float x = v.x - 100.0f, y = v.y - 100.0f;
            const int right = std::fabs(x - 30.0f) < 1e-3f, top = std::fabs(y + 20.0f) < 1e-3f;
            EXPECT_TRUE(right || std::fabs(x - 10.0f) < 1e-3f) << x;
            EXPECT_TRUE(top || std::fabs(y + 40.0f) < 1e-3f) << y;
            EXPECT_EQ(v.tex[0], static_cast<float>(right));
            EXPECT_EQ(v.tex[1], static_cast<float>(top));
            EXPECT_NEAR(v.z, (1.0f - 7.0f / 100.0f) * 0.5f, 1e-5f);  // the depth of z = 7
            EXPECT_FLOAT_EQ(v.colour[0], 1.0f);
            EXPECT_FLOAT_EQ(v.colour[1], 0.5f);
            EXPECT_FLOAT_EQ(v.colour[3], 0.75f);
            corner[right][top] = true;
        }
    }
    EXPECT_TRUE(corner[0][0] && corner[0][1] && corner[1][0] && corner[1][1]);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture);
    EXPECT_EQ(puff.colour[0], 1.5f);
    glDeleteTextures(1, &texture);

    // Head and smoke sprites go to their own lists (a missing file still takes a name).
    ParticleSystem system;
    system.addHeadTexture("halvex-missing-head.tga");
    EXPECT_EQ(system.headTextures.count, 1);
    EXPECT_EQ(system.smokeTextures.count, 0);
    system.addSmokeTexture("halvex-missing-smoke.tga");
    system.addSmokeTexture("halvex-missing-smoke.tga");
    EXPECT_EQ(system.headTextures.count, 1);
    EXPECT_EQ(system.smokeTextures.count, 2);
    glDeleteTextures(system.headTextures.count, system.headTextures.names);
    glDeleteTextures(system.smokeTextures.count, system.smokeTextures.names);
    system.clear();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
