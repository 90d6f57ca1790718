// The sky box and logo lists on a real context: faces in table order with their corners and inset
// texture coordinates (feedback mode), each face's texture seen from inside with back faces culled,
// the far plane, and the state the lists leave behind.
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

// Solid colours, one per sky slot (sky1 .. sky6), then the two logos.
const unsigned char slotColours[8][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},   {255, 255, 0},
                                         {255, 0, 255}, {0, 255, 255}, {255, 128, 0}, {128, 0, 255}};

GLuint solidTexture(const unsigned char rgb[3]) {
    unsigned char texels[2 * 2 * 3];
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 3; ++c) texels[i * 3 + c] = rgb[c];
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

struct FaceRow {
    int slot;
    int axis;    // 0 x, 1 y, 2 z: the axis the face is perpendicular to
    float sign;  // which side of the cube
    float corners[4][3];  // with (0.005, 0.005), (0.995, 0.005), (0.995, 0.995), (0.005, 0.995)
};
const FaceRow table[6] = {
    {4, 2, 1, {{-H, -H, H}, {H, -H, H}, {H, H, H}, {-H, H, H}}},
    {1, 2, -1, {{H, -H, -H}, {-H, -H, -H}, {-H, H, -H}, {H, H, -H}}},
    {3, 1, 1, {{-H, H, H}, {H, H, H}, {H, H, -H}, {-H, H, -H}}},
    {5, 1, -1, {{-H, -H, -H}, {H, -H, -H}, {H, -H, H}, {-H, -H, H}}},
    {0, 0, -1, {{-H, -H, -H}, {-H, -H, H}, {-H, H, H}, {-H, H, -H}}},
    {2, 0, 1, {{H, -H, H}, {H, -H, -H}, {H, H, -H}, {H, H, H}}},
};
const float insetCoords[4][2] = {{0.005f, 0.005f}, {0.995f, 0.005f}, {0.995f, 0.995f}, {0.005f, 0.995f}};

// Window coordinates back to the object space of glOrtho(-50000 .. 50000) on every axis.
void toObject(const FeedbackVertex& v, float out[3]) {
    out[0] = (v.x / side * 2.0f - 1.0f) * 50000.0f;
    out[1] = (v.y / side * 2.0f - 1.0f) * 50000.0f;
    out[2] = -(v.z * 2.0f - 1.0f) * 50000.0f;
}

// The face a polygon lies in: the axis on which all its vertices share one side of the cube; -1 if none.
int faceOf(const FeedbackPolygon& polygon) {
    for (int f = 0; f < 6; ++f) {
        bool all = true;
        for (const FeedbackVertex& v : polygon.vertices) {
            float p[3];
            toObject(v, p);
            if (std::fabs(p[table[f].axis] - table[f].sign * H) > 2.0f) all = false;
        }
        if (all) return f;
    }
    return -1;
}

void readCentre(int dx, int dy, unsigned char out[3]) {
    unsigned char pixel[4] = {};
    glReadPixels(side / 2 + dx, side / 2 + dy, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    for (int c = 0; c < 3; ++c) out[c] = pixel[c];
}

bool isSlotColour(const unsigned char rgb[3], int slot) {
    for (int c = 0; c < 3; ++c)
        if (std::abs(rgb[c] - slotColours[slot][c]) > 2) return false;
    return true;
}

// Six sky faces and two logos with known colours, and freshly built lists.
class SkyBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(side, side));
        ASSERT_TRUE(resolveMultitextureEntryPoints());
        glActiveTextureARB(GL_TEXTURE0_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        for (int i = 0; i < 6; ++i) {
            savedSky[i] = skyImages[i];
            skyImages[i] = new Image;
            skyImages[i]->texture = solidTexture(slotColours[i]);
        }
        for (int i = 0; i < 2; ++i) {
            const int slot = i == 0 ? 0 : 5;
            savedScene[i] = sceneImages[slot];
            sceneImages[slot] = new Image;
            sceneImages[slot]->texture = solidTexture(slotColours[6 + i]);
        }
        buildSkyBox();
        ASSERT_NE(skyBoxList, 0u);
        ASSERT_NE(orxLogoList, 0u);
        ASSERT_NE(qmLogoList, 0u);
        glViewport(0, 0, side, side);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_FOG);
        glColor4f(1, 1, 1, 1);
    }
    void TearDown() override {
        for (GLuint list : {skyBoxList, orxLogoList, qmLogoList}) glDeleteLists(list, 1);
        skyBoxList = orxLogoList = qmLogoList = 0;
        for (int i = 0; i < 6; ++i) {
            releaseImage(skyImages[i]);
            skyImages[i] = savedSky[i];
        }
        releaseImage(sceneImages[0]);
        sceneImages[0] = savedScene[0];
        releaseImage(sceneImages[5]);
        sceneImages[5] = savedScene[1];
        // Later tests in this process start from plain untextured, unlit drawing.
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glFrontFace(GL_CCW);
    }
    Image* savedSky[6] = {};
    Image* savedScene[2] = {};
};
}  // namespace

TEST_F(SkyBoxTest, FacesComeInTableOrderWithTheirCornersAndInsetCoordinates) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-50000, 50000, -50000, 50000, -50000, 50000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    bool overflow = false;
    const auto polygons = captureFeedbackPolygons([] { glCallList(skyBoxList); }, &overflow);
    ASSERT_FALSE(overflow);
    ASSERT_FALSE(polygons.empty());

    std::vector<int> order;
    std::vector<std::vector<const FeedbackVertex*>> faceVertices(6);
    for (const FeedbackPolygon& polygon : polygons) {
        const int f = faceOf(polygon);
        ASSERT_GE(f, 0);
        if (order.empty() || order.back() != f) order.push_back(f);
        for (const FeedbackVertex& v : polygon.vertices) faceVertices[f].push_back(&v);
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5}));

    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE(f);
        bool seen[4] = {};
        for (const FeedbackVertex* v : faceVertices[f]) {
            float p[3];
            toObject(*v, p);
            int match = -1;
            for (int c = 0; c < 4; ++c) {
                const float* q = table[f].corners[c];
                if (std::fabs(p[0] - q[0]) < 2 && std::fabs(p[1] - q[1]) < 2 && std::fabs(p[2] - q[2]) < 2) match = c;
            }
            ASSERT_GE(match, 0) << p[0] << " " << p[1] << " " << p[2];
            seen[match] = true;
            EXPECT_FLOAT_EQ(v->tex[0], insetCoords[match][0]);
            EXPECT_FLOAT_EQ(v->tex[1], insetCoords[match][1]);
            // Every corner is drawn white.
            for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(v->colour[c], 1.0f);
        }
        for (bool s : seen) EXPECT_TRUE(s);
    }
}

TEST_F(SkyBoxTest, EachFaceShowsItsTextureFromInsideWithBackFacesCulled) {
    setPerspectiveView(0);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glReadBuffer(GL_FRONT);
    struct Look {
        float dx, dy, dz, ux, uy, uz;
        int slot;
    };
    const Look looks[] = {{0, 0, 1, 0, 1, 0, 4},  {0, 0, -1, 0, 1, 0, 1}, {0, 1, 0, 0, 0, 1, 3},
                          {0, -1, 0, 0, 0, 1, 5}, {-1, 0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 1, 0, 2}};
    for (const Look& look : looks) {
        SCOPED_TRACE(look.slot);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(0, 0, 0, look.dx, look.dy, look.dz, look.ux, look.uy, look.uz);
        glCallList(skyBoxList);
        glFinish();
        unsigned char rgb[3];
        readCentre(0, 0, rgb);
        EXPECT_TRUE(isSlotColour(rgb, look.slot)) << int(rgb[0]) << "," << int(rgb[1]) << "," << int(rgb[2]);
    }

    // Towards a corner, about 69282 away: inside the far plane at 120000, so the sky is there.
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0, 0, 0, 1, 1, 1, 0, 1, 0);
    glCallList(skyBoxList);
    glFinish();
    for (int d : {-3, 3}) {
        unsigned char rgb[3];
        readCentre(d, d, rgb);
        EXPECT_TRUE(isSlotColour(rgb, 2) || isSlotColour(rgb, 3) || isSlotColour(rgb, 4))
            << int(rgb[0]) << "," << int(rgb[1]) << "," << int(rgb[2]);
    }

    // Outside the cube, looking at it, every face is culled: its faces turn their backs outwards.
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0, 0, -100000, 0, 0, 0, 0, 1, 0);
    glCallList(skyBoxList);
    glFinish();
    unsigned char rgb[3];
    readCentre(0, 0, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0);
}

TEST_F(SkyBoxTest, ListsLeaveTheirStateAndDrawNothingWhileBuilt) {
    // Building compiles only.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    for (GLuint list : {skyBoxList, orxLogoList, qmLogoList}) glDeleteLists(list, 1);
    buildSkyBox();
    glFinish();
    glReadBuffer(GL_FRONT);
    unsigned char rgb[3];
    readCentre(0, 0, rgb);
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0);

    // After the sky box: lighting on (even when it was off), front face CCW, unit 0 textured with
    // "sky3.jpg" bound, white colour, the modelview matrix unchanged.
    glDisable(GL_LIGHTING);
    glFrontFace(GL_CW);
    glColor4f(0.5f, 0.25f, 0.0f, 0.5f);
    glLoadIdentity();
    glTranslatef(3.0f, 4.0f, 5.0f);
    glCallList(skyBoxList);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLint value = 0;
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CCW);
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &value);
    EXPECT_EQ(value, GL_TEXTURE0_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), skyImages[2]->texture);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (float c : colour) EXPECT_EQ(c, 1.0f);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 3.0f);
    EXPECT_EQ(m[13], 4.0f);
    EXPECT_EQ(m[14], 5.0f);
    EXPECT_EQ(m[0], 1.0f);
    glDisable(GL_LIGHTING);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SkyBoxTest, LogoListsDrawTheirScaledRectanglesInTheCallersColourAndBlend) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    struct Logo {
        GLuint list;
        int slot;
        float width, height;  // after the 0.0015 scale
    };
    for (const Logo& logo : {Logo{orxLogoList, 0, 0.825f, 0.3f}, Logo{qmLogoList, 5, 0.675f, 0.15f}}) {
        SCOPED_TRACE(logo.slot);
        glColor4f(0.5f, 0.25f, 1.0f, 0.5f);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glDisable(GL_TEXTURE_2D);
        const auto polygons = captureFeedbackPolygons([&] { glCallList(logo.list); });
        ASSERT_FALSE(polygons.empty());
        int corners = 0;
        for (const FeedbackPolygon& polygon : polygons) {
            for (const FeedbackVertex& v : polygon.vertices) {
                const float x = v.x / side, y = v.y / side;
                const bool right = std::fabs(x - logo.width) < 1e-4f;
                const bool top = std::fabs(y - logo.height) < 1e-4f;
                EXPECT_TRUE(right || std::fabs(x) < 1e-4f) << x;
                EXPECT_TRUE(top || std::fabs(y) < 1e-4f) << y;
                EXPECT_EQ(v.tex[0], right ? 1.0f : 0.0f);
                EXPECT_EQ(v.tex[1], top ? 1.0f : 0.0f);
                EXPECT_FLOAT_EQ(v.colour[0], 0.5f);
                EXPECT_FLOAT_EQ(v.colour[3], 0.5f);
                ++corners;
            }
        }
        EXPECT_GE(corners, 4);

        glCallList(logo.list);
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        GLint value = 0;
        glGetIntegerv(GL_BLEND_SRC, &value);
        EXPECT_EQ(value, GL_SRC_ALPHA);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
        EXPECT_EQ(static_cast<GLuint>(value), sceneImages[logo.slot]->texture);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[1], 0.25f);
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        EXPECT_EQ(m[0], 1.0f);
        EXPECT_EQ(m[5], 1.0f);
    }
    glDisable(GL_BLEND);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
