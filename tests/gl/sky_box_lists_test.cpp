// The sky box and logo lists on a real context: faces in order with their corners and inset texture
// coordinates, each face's texture seen from inside with back faces culled, the far plane, and the
// state the lists leave behind.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "demo/demo_images.h"
#include "effects/logo.h"
#include "effects/projection.h"
#include "effects/sky_box.h"
#include "image/gl_entry_points.h"
#include "image/texture.h"
#include "support/gl_feedback.h"
#include "support/gl_test_context.h"

namespace {
constexpr int side = 256;
constexpr float H = 40000.0f;

// One solid colour per sky slot, sky1 .. sky6.
const unsigned char slotColours[6][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                         {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};

// The faces in drawing order, each with its corners at texture coordinates (0.005, 0.005),
// (0.995, 0.005), (0.995, 0.995), (0.005, 0.995): +z, -z, +y, -y, -x, +x.
const float faces[6][4][3] = {
    {{-H, -H, H}, {H, -H, H}, {H, H, H}, {-H, H, H}},     {{H, -H, -H}, {-H, -H, -H}, {-H, H, -H}, {H, H, -H}},
    {{-H, H, H}, {H, H, H}, {H, H, -H}, {-H, H, -H}},     {{-H, -H, -H}, {H, -H, -H}, {H, -H, H}, {-H, -H, H}},
    {{-H, -H, -H}, {-H, -H, H}, {-H, H, H}, {-H, H, -H}}, {{H, -H, H}, {H, -H, -H}, {H, H, -H}, {H, H, H}},
};
const float inset[4][2] = {{0.005f, 0.005f}, {0.995f, 0.005f}, {0.995f, 0.995f}, {0.005f, 0.995f}};

// The face and corner a window-space vertex of glOrtho(-50000 .. 50000) stands for; -1 for none.
int cornerOf(const FeedbackVertex& v, int face) {
    const float p[3] = {(v.x / side * 2 - 1) * 50000, (v.y / side * 2 - 1) * 50000, -(v.z * 2 - 1) * 50000};
    for (int c = 0; c < 4; ++c) {
        const float* q = faces[face][c];
        if (std::fabs(p[0] - q[0]) < 2 && std::fabs(p[1] - q[1]) < 2 && std::fabs(p[2] - q[2]) < 2) return c;
    }
    return -1;
}

// True when the centre pixel (moved by d both ways) shows one of the slots' colours.
bool centreShows(std::initializer_list<int> slots, int d = 0) {
    unsigned char pixel[4] = {};
    glReadPixels(side / 2 + d, side / 2 + d, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    for (int slot : slots) {
        bool same = true;
        for (int c = 0; c < 3; ++c) same = same && std::abs(pixel[c] - slotColours[slot][c]) <= 2;
        if (same) return true;
    }
    return false;
}

class SkyBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(side, side));
        ASSERT_TRUE(resolveMultitextureEntryPoints());
        glActiveTextureARB(GL_TEXTURE0_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        for (int i = 0; i < 8; ++i) {
            Image*& image = i < 6 ? skyImages[i] : sceneImages[i == 6 ? 0 : 5];
            saved[i] = image;
            image = new Image;
            glGenTextures(1, &image->texture);
            glBindTexture(GL_TEXTURE_2D, image->texture);
            if (i < 6) glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, slotColours[i]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        }
        glViewport(0, 0, side, side);
        for (GLenum cap : {GL_CULL_FACE, GL_DEPTH_TEST, GL_BLEND, GL_FOG}) glDisable(cap);
        glColor4f(1, 1, 1, 1);
        glClearColor(0, 0, 0, 1);
        glReadBuffer(GL_FRONT);
        buildSkyBox();
        ASSERT_TRUE(skyBoxList && orxLogoList && qmLogoList);
    }
    void TearDown() override {
        for (GLuint list : {skyBoxList, orxLogoList, qmLogoList}) glDeleteLists(list, 1);
        skyBoxList = orxLogoList = qmLogoList = 0;
        for (int i = 0; i < 8; ++i) {
            Image*& image = i < 6 ? skyImages[i] : sceneImages[i == 6 ? 0 : 5];
            releaseImage(image);
            image = saved[i];
        }
        // Later tests in this process start from plain untextured, unlit drawing.
        for (GLenum cap : {GL_CULL_FACE, GL_LIGHTING, GL_TEXTURE_2D, GL_BLEND}) glDisable(cap);
        glFrontFace(GL_CCW);
    }
    Image* saved[8] = {};
};
}  // namespace

TEST_F(SkyBoxTest, FacesComeInOrderWithTheirCornersAndInsetCoordinatesInWhite) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-50000, 50000, -50000, 50000, -50000, 50000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    bool overflow = false;
    const auto polygons = captureFeedbackPolygons([] { glCallList(skyBoxList); }, &overflow);
    ASSERT_FALSE(overflow);
    int face = 0;
    bool seen[6][4] = {};
    for (const FeedbackPolygon& polygon : polygons) {
        // A polygon belongs to the current face or starts the next one.
        for (const FeedbackVertex& v : polygon.vertices) face += face < 5 && cornerOf(v, face) < 0;
        for (const FeedbackVertex& v : polygon.vertices) {
            const int c = cornerOf(v, face);
            ASSERT_GE(c, 0) << "face " << face;
            seen[face][c] = true;
            EXPECT_FLOAT_EQ(v.tex[0], inset[c][0]);
            EXPECT_FLOAT_EQ(v.tex[1], inset[c][1]);
            for (float channel : v.colour) EXPECT_FLOAT_EQ(channel, 1.0f);
        }
    }
    for (int f = 0; f < 6; ++f)
        for (int c = 0; c < 4; ++c) EXPECT_TRUE(seen[f][c]) << f << " " << c;
}

TEST_F(SkyBoxTest, EachFaceShowsItsTextureFromInsideAndNoneFromOutside) {
    setPerspectiveView(0);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    auto look = [](float z, float dx, float dy, float dz) {  // from (0, 0, z); up is y unless looking along it
        glClear(GL_COLOR_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(0, 0, z, dx, dy, z + dz, 0, dy == 0, dy != 0);
        glCallList(skyBoxList);
        glFinish();
    };
    const int looks[6][4] = {{0, 0, 1, 4}, {0, 0, -1, 1}, {0, 1, 0, 3}, {0, -1, 0, 5}, {-1, 0, 0, 0}, {1, 0, 0, 2}};
    for (const auto& l : looks) {
        SCOPED_TRACE(l[3]);
        look(0, l[0], l[1], l[2]);
        EXPECT_TRUE(centreShows({l[3]}));
    }
    // Towards a corner, about 69282 away: inside the far plane, so the sky is there.
    look(0, 1, 1, 1);
    EXPECT_TRUE(centreShows({2, 3, 4}, -3));
    EXPECT_TRUE(centreShows({2, 3, 4}, 3));
    // From outside every face turns its back to the camera and is culled.
    look(-100000, 0, 0, 1);
    EXPECT_FALSE(centreShows({0, 1, 2, 3, 4, 5}));
}

TEST_F(SkyBoxTest, ListsLeaveTheirStateAndLogosDrawTheirScaledRectangles) {
    // The sky box: lighting on, front faces counter-clockwise, unit 0 textured with its last face
    // ("sky3.jpg") bound, white, the caller's matrix kept.
    glDisable(GL_LIGHTING);
    glFrontFace(GL_CW);
    glColor4f(0.5f, 0.25f, 0.0f, 0.5f);
    glLoadIdentity();
    glTranslatef(3.0f, 4.0f, 5.0f);
    glCallList(skyBoxList);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_TEXTURE_2D));
    const std::pair<GLenum, GLint> expected[] = {{GL_FRONT_FACE, GL_CCW},
                                                 {GL_ACTIVE_TEXTURE_ARB, GL_TEXTURE0_ARB},
                                                 {GL_TEXTURE_BINDING_2D, GLint(skyImages[2]->texture)}};
    for (const auto& [name, value] : expected) {
        GLint got = 0;
        glGetIntegerv(name, &got);
        EXPECT_EQ(got, value) << name;
    }
    GLfloat colour[4], m[16];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(colour[0] == 1 && colour[1] == 1 && colour[2] == 1 && colour[3] == 1);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_TRUE(m[0] == 1.0f && m[12] == 3.0f);
    glDisable(GL_LIGHTING);

    // The logos: 550 x 200 and 450 x 100 scaled by 0.0015, the whole texture, the caller's colour.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(0.5f, 0.25f, 1.0f, 0.5f);
    struct Logo {
        GLuint list;
        int slot;
        float width, height;
    };
    for (const Logo& logo : {Logo{orxLogoList, 0, 0.825f, 0.3f}, Logo{qmLogoList, 5, 0.675f, 0.15f}}) {
        SCOPED_TRACE(logo.slot);
        int corners = 0;
        for (const FeedbackPolygon& polygon : captureFeedbackPolygons([&] { glCallList(logo.list); }))
            for (const FeedbackVertex& v : polygon.vertices) {
                const float x = v.x / side, y = v.y / side;
                const bool right = std::fabs(x - logo.width) < 1e-4f, top = std::fabs(y - logo.height) < 1e-4f;
                EXPECT_TRUE(right || std::fabs(x) < 1e-4f) << x;
                EXPECT_TRUE(top || std::fabs(y) < 1e-4f) << y;
                EXPECT_EQ(v.tex[0], right ? 1.0f : 0.0f);
                EXPECT_EQ(v.tex[1], top ? 1.0f : 0.0f);
                EXPECT_FLOAT_EQ(v.colour[0], 0.5f);
                EXPECT_FLOAT_EQ(v.colour[3], 0.5f);
                ++corners;
            }
        EXPECT_GE(corners, 4);
        glCallList(logo.list);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), sceneImages[logo.slot]->texture);
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        EXPECT_EQ(m[0], 1.0f);  // the scale was popped
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
