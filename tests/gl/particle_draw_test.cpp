// Particle::draw on a real context: one +Z-facing quad around the position in the particle's colour
// and texture, drawn counter-clockwise, and the sprite lists the manager fills with addTga.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "particles/particle.h"
#include "particles/particle_system.h"
#include "support/gl_feedback.h"
#include "support/gl_test_context.h"

namespace {
constexpr int side = 200;

// Orthographic -100..100 in x and y, so one unit is one pixel and window x = 100 + x.
void startFrame() {
    ASSERT_TRUE(makeGlTestContext(side, side));
    glViewport(0, 0, side, side);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-100, 100, -100, 100, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
}

// A 32-bit TGA of side x side pixels, all of one colour, written for addTga.
std::string writeSprite(const char* name, int width, int height) {
    const std::string path = std::string(testing::TempDir()) + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return path;
    const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      static_cast<unsigned char>(width), static_cast<unsigned char>(width >> 8),
                                      static_cast<unsigned char>(height), static_cast<unsigned char>(height >> 8),
                                      32, 8};
    std::fwrite(header, 1, sizeof header, file);
    const std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4, 200);
    std::fwrite(pixels.data(), 1, pixels.size(), file);
    std::fclose(file);
    return path;
}
}  // namespace

TEST(ParticleDraw, OneQuadAroundThePositionInItsColourAndTexture) {
    startFrame();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    PuffParticle puff;
    puff.texture = texture;
    puff.size = 10.0f;
    puff.position = Vector3(20.0f, -30.0f, 7.0f);
    puff.colour[0] = 1.5f;  // above 1: OpenGL clamps when it colours, the particle keeps it
    puff.colour[1] = 0.5f;
    puff.colour[2] = 0.25f;
    puff.colour[3] = 0.75f;

    bool overflow = false;
    const auto polygons = captureFeedbackPolygons([&] { puff.draw(); }, &overflow);
    ASSERT_FALSE(overflow);
    ASSERT_FALSE(polygons.empty());
    bool corner[2][2] = {};
    for (const FeedbackPolygon& polygon : polygons) {
        // Counter-clockwise in window space: positive signed area.
        float area = 0.0f;
        const size_t n = polygon.vertices.size();
        for (size_t i = 0; i < n; ++i) {
            const FeedbackVertex& a = polygon.vertices[i];
            const FeedbackVertex& b = polygon.vertices[(i + 1) % n];
            area += a.x * b.y - b.x * a.y;
        }
        EXPECT_GT(area, 0.0f);
        for (const FeedbackVertex& v : polygon.vertices) {
            const float x = v.x - 100.0f, y = v.y - 100.0f;
            const int right = std::fabs(x - 30.0f) < 1e-3f ? 1 : 0;
            const int top = std::fabs(y + 20.0f) < 1e-3f ? 1 : 0;
            EXPECT_TRUE(right || std::fabs(x - 10.0f) < 1e-3f) << x;
            EXPECT_TRUE(top || std::fabs(y + 40.0f) < 1e-3f) << y;
            EXPECT_EQ(v.tex[0], static_cast<float>(right));
            EXPECT_EQ(v.tex[1], static_cast<float>(top));
            // In the plane z = 7 of the modelview space: depth of glOrtho(-100, 100) at z = 7.
            EXPECT_NEAR(v.z, (-7.0f / 100.0f + 1.0f) * 0.5f, 1e-5f);
            EXPECT_FLOAT_EQ(v.colour[1], 0.5f);
            EXPECT_FLOAT_EQ(v.colour[3], 0.75f);
            corner[right][top] = true;
        }
    }
    for (auto& row : corner)
        for (bool c : row) EXPECT_TRUE(c);

    puff.draw();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[2], 0.25f);
    EXPECT_EQ(puff.colour[0], 1.5f);
    glDeleteTextures(1, &texture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ParticleDraw, SpriteListsTakeANameForEveryFileAndEmittersUseThem) {
    startFrame();
    ParticleSystem system;
    const std::string head = writeSprite("halvex_head.tga", 16, 16);
    EXPECT_EQ(system.addHeadTexture(head.c_str()), 1);
    EXPECT_EQ(system.addSmokeTexture((head + ".missing").c_str()), 1004);  // a name even for a missing file
    ASSERT_EQ(system.headTextures.count, 1);
    ASSERT_EQ(system.smokeTextures.count, 1);
    EXPECT_NE(system.headTextures.names[0], system.smokeTextures.names[0]);

    system.spawnRandomEmitter();
    ASSERT_NE(system.head, nullptr);
    EXPECT_EQ(system.head->texture, system.headTextures.names[0]);
    glEnable(GL_TEXTURE_2D);
    system.head->draw();
    glDisable(GL_TEXTURE_2D);
    // The system never deletes the sprite textures (they go with the context); the test does.
    glDeleteTextures(system.headTextures.count, system.headTextures.names);
    glDeleteTextures(system.smokeTextures.count, system.smokeTextures.names);
    system.clear();
    EXPECT_EQ(system.headTextures.names, nullptr);
    EXPECT_EQ(system.head, nullptr);
    std::remove(head.c_str());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
