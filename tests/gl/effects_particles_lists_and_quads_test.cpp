// Display lists and quads on a real context, read back in feedback mode where geometry is what counts:
// the sky box's faces, texture coordinates, culling and far plane; each glyph list's cell and advance and
// captions cut at 255 characters; logos, particles and billboards; the state the sky box and printText leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "demo/billboard.h"
#include "demo/demo_images.h"
#include "platform/platform_gl_lookup.h"
#include "effects/font.h"
#include "effects/logo.h"
#include "effects/projection.h"
#include "effects/sky_box.h"
#include "image/gl_entry_points.h"
#include "image/texture.h"
#include "particles/particle.h"
#include "particles/particle_system.h"
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

// The window as lo .. hi on x and y (the unit square as captions and logos are placed; one unit a pixel for
// -side / 2 .. side / 2), -depth .. depth on z seen along -z.
void ortho(double lo, double hi, double depth) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(lo, hi, lo, hi, -depth, depth);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void expectIntegers(const std::vector<std::pair<GLenum, GLint>>& expected) {
    for (const auto& [name, value] : expected) {
        GLint got = 0;
        glGetIntegerv(name, &got);
        EXPECT_EQ(got, value) << name;
    }
}

// Polygons wound counter-clockwise whose every vertex sits on a corner of the window rectangle
// x0..x1 by y0..y1 with the matching corner of the texture rectangle (s0, t0 at the bottom left), all
// four corners drawn.
struct TexRect {
    float s0 = 0, s1 = 1, t0 = 0, t1 = 1;
};
std::vector<FeedbackVertex> expectQuad(const std::function<void()>& draw, float x0, float x1, float y0, float y1,
                                       TexRect tex = {}) {
    std::vector<FeedbackVertex> vertices;
    bool corner[2][2] = {};
    for (const FeedbackPolygon& polygon : captureFeedbackPolygons(draw)) {
        float area = 0.0f;
        for (size_t i = 0, n = polygon.vertices.size(); i < n; ++i) {
            const FeedbackVertex &a = polygon.vertices[i], &b = polygon.vertices[(i + 1) % n];
            area += a.x * b.y - b.x * a.y;
        }
        EXPECT_GT(area, 0.0f);
        for (const FeedbackVertex& v : polygon.vertices) {
            const int right = std::fabs(v.x - x1) < 0.01f, top = std::fabs(v.y - y1) < 0.01f;
            EXPECT_TRUE(right || std::fabs(v.x - x0) < 0.01f) << v.x;
            EXPECT_TRUE(top || std::fabs(v.y - y0) < 0.01f) << v.y;
            EXPECT_EQ(v.tex[0], right ? tex.s1 : tex.s0);
            EXPECT_EQ(v.tex[1], top ? tex.t1 : tex.t0);
            corner[right][top] = true;
            vertices.push_back(v);
        }
    }
    EXPECT_TRUE(corner[0][0] && corner[0][1] && corner[1][0] && corner[1][1]);
    return vertices;
}

// A glyph as drawn: the bounds of its strip's two triangles.
struct Glyph {
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f, s0 = 1e9f, s1 = -1e9f, t0 = 1e9f, t1 = -1e9f;
};
std::vector<Glyph> glyphsOf(const std::function<void()>& draw) {
    bool overflow = false;
    const auto polygons = captureFeedbackPolygons(draw, &overflow);
    EXPECT_FALSE(overflow);
    std::vector<Glyph> glyphs;
    for (size_t i = 0; i < polygons.size(); i += 2) {
        Glyph g;
        for (size_t j = i; j < std::min(i + 2, polygons.size()); ++j)
            for (const FeedbackVertex& v : polygons[j].vertices) {
                g.x0 = std::min(g.x0, v.x / side), g.x1 = std::max(g.x1, v.x / side);
                g.y0 = std::min(g.y0, v.y / side), g.y1 = std::max(g.y1, v.y / side);
                g.s0 = std::min(g.s0, v.tex[0]), g.s1 = std::max(g.s1, v.tex[0]);
                g.t0 = std::min(g.t0, v.tex[1]), g.t1 = std::max(g.t1, v.tex[1]);
            }
        glyphs.push_back(g);
    }
    return glyphs;
}

class QuadsAndLists : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(side, side));
        ASSERT_TRUE(resolveMultitextureEntryPoints(lookupGlEntryPoint));
        glActiveTextureARB(GL_TEXTURE0_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        for (int i = 0; i < 9; ++i) {  // the sky, then the two logos and the font sheet
            Image*& image = i < 6 ? skyImages[i] : sceneImages[i == 6 ? 0 : i == 7 ? 5 : 6];
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
        buildSkyBox(skyImages);
        buildLogoLists(sceneImages[0], sceneImages[5]);
        ASSERT_TRUE(buildFont(sceneImages[6]));
        ASSERT_TRUE(skyBoxList && orxLogoList && qmLogoList && fontListBase);
    }
    void TearDown() override {
        releaseSkyBox();
        releaseLogoLists();
        releaseFont();
        for (int i = 0; i < 9; ++i) {
            Image*& image = i < 6 ? skyImages[i] : sceneImages[i == 6 ? 0 : i == 7 ? 5 : 6];
            releaseImage(image);
            image = saved[i];
        }
        // Later tests in this process start from plain untextured, unlit drawing.
        for (GLenum cap : {GL_CULL_FACE, GL_LIGHTING, GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST}) glDisable(cap);
        glFrontFace(GL_CCW);
    }
    Image* saved[9] = {};
};
}  // namespace

TEST_F(QuadsAndLists, ReleasingGivesEveryListBackOnce) {
    const std::vector<GLuint> lists = {skyBoxList, orxLogoList, qmLogoList, fontListBase, fontListBase + 127};
    for (int twice = 0; twice < 2; ++twice) {
        releaseSkyBox();
        releaseLogoLists();
        releaseFont();
    }
    for (GLuint list : lists) EXPECT_FALSE(glIsList(list)) << list;
    EXPECT_TRUE(skyBoxList == 0 && orxLogoList == 0 && qmLogoList == 0 && fontListBase == 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(QuadsAndLists, FacesComeInOrderWithTheirCornersAndInsetCoordinatesInWhite) {
    ortho(-50000, 50000, 50000);
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

TEST_F(QuadsAndLists, EachFaceShowsItsTextureFromInsideAndNoneFromOutside) {
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

// The state the sky box and printText (also of an empty text) leave for what the scene draws next, set up
// the other way before; the caller's matrix is kept.
TEST_F(QuadsAndLists, SkyBoxAndPrintTextLeaveTheStateTheScenesExpect) {
    ortho(0, 1, 1);
    const GLint font = GLint(sceneImages[6]->texture);
    using State = std::vector<std::pair<GLenum, GLint>>;
    const State afterText = {{GL_DEPTH_TEST, 1}, {GL_LIGHTING, 1}, {GL_TEXTURE_2D, 1}, {GL_BLEND, 0},
                             {GL_BLEND_SRC, GL_SRC_COLOR}, {GL_BLEND_DST, GL_ONE},
                             {GL_ACTIVE_TEXTURE_ARB, GL_TEXTURE0_ARB}, {GL_TEXTURE_BINDING_2D, font}};
    const std::pair<const char*, State> cases[] = {  // a null text for the sky box, whose last face is "sky3.jpg"
        {nullptr, {{GL_LIGHTING, 1}, {GL_TEXTURE_2D, 1}, {GL_FRONT_FACE, GL_CCW}, {GL_ACTIVE_TEXTURE_ARB, GL_TEXTURE0_ARB},
                   {GL_TEXTURE_BINDING_2D, GLint(skyImages[2]->texture)}}},
        {"A", afterText},
        {"", afterText},
    };
    for (const auto& [text, left] : cases) {
        SCOPED_TRACE(text ? text : "sky box");
        for (GLenum cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_TEXTURE_2D}) glDisable(cap);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ZERO);
        glFrontFace(GL_CW);
        glBindTexture(GL_TEXTURE_2D, 0);
        glColor4f(0.5f, 0.25f, 0.0f, 0.5f);
        glLoadIdentity();
        glTranslatef(3.0f, 4.0f, 5.0f);
        if (text) printText(0, 0.5f, 0.5f, 0.05f, 0.05f, "%s", text);
        else glCallList(skyBoxList);
        expectIntegers(left);
        GLfloat colour[4], m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        EXPECT_TRUE(m[0] == 1.0f && m[12] == 3.0f);
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_TRUE(text || (colour[0] == 1 && colour[1] == 1 && colour[2] == 1 && colour[3] == 1));  // white
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(QuadsAndLists, LogosDrawTheirScaledRectangles) {
    // 550 x 200 and 450 x 100 scaled by 0.0015 (of the window here), the whole texture bound.
    ortho(0, 1, 1);
    for (const auto& [list, slot, width, height] :
         {std::tuple{orxLogoList, 0, 0.825f, 0.3f}, std::tuple{qmLogoList, 5, 0.675f, 0.15f}}) {
        SCOPED_TRACE(slot);
        expectQuad([list = list] { glCallList(list); }, 0, width * side, 0, height * side);
        glCallList(list);
        expectIntegers({{GL_TEXTURE_BINDING_2D, GLint(sceneImages[slot]->texture)}});
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        EXPECT_EQ(m[0], 1.0f);  // the list's own scale was popped
    }
}

TEST_F(QuadsAndLists, AParticleIsOneQuadAroundItsPositionInItsColourAndTexture) {
    ortho(-side / 2, side / 2, side / 2);
    PuffParticle puff;
    puff.texture = sceneImages[0]->texture;
    puff.size = 10.0f;
    puff.position = Vector3(20.0f, -30.0f, 7.0f);
    const float colour[4] = {1.5f, 0.5f, 0.25f, 0.75f};  // red above 1: clamped by OpenGL only
    std::copy(colour, colour + 4, puff.colour);
    for (const FeedbackVertex& v : expectQuad([&] { puff.draw(); }, 138, 158, 88, 108)) {
        EXPECT_NEAR(v.z, (1.0f - 7.0f / 128) * 0.5f, 1e-5f);  // the depth of z = 7
        EXPECT_TRUE(v.colour[0] == 1.0f && v.colour[1] == 0.5f && v.colour[3] == 0.75f);
    }
    expectIntegers({{GL_TEXTURE_BINDING_2D, GLint(puff.texture)}});

    // Head and smoke sprites go to their own lists (a missing file still takes a name).
    ParticleSystem system;
    system.addHeadTexture("halvex-missing-head.tga");
    system.addSmokeTexture("halvex-missing-smoke.tga");
    system.addSmokeTexture("halvex-missing-smoke.tga");
    EXPECT_TRUE(system.headTextures.count == 1 && system.smokeTextures.count == 2);
    glDeleteTextures(system.headTextures.count, system.headTextures.names);
    glDeleteTextures(system.smokeTextures.count, system.smokeTextures.names);
    system.clear();
}

TEST_F(QuadsAndLists, BillboardsFaceTheCameraAtTheirScaledSizeUnlessGivenAxes) {
    // Any rotation: the square lies in the screen plane. The scale of 1.5 is in the axes read from the
    // matrix and in the matrix itself, so half-size 20 reaches 45.
    ortho(-side / 2, side / 2, side / 2);
    glRotatef(50.0f, 0.3f, 1.0f, 0.2f);
    glScalef(1.5f, 1.5f, 1.5f);
    expectQuad([] { drawBillboard(Vector3{0.0f, 0.0f, 0.0f}, 20.0f); }, 83, 173, 83, 173);
    // Turned half round but drawn with the axes read before: the texture upside down.
    glLoadIdentity();
    const BillboardAxes upright = readBillboardAxes();
    glRotatef(180.0f, 0.0f, 0.0f, 1.0f);
    expectQuad([&] { drawBillboardWithAxes(Vector3{0.0f, 0.0f, 0.0f}, 20.0f, upright); }, 108, 148, 108, 148,
               {1, 0, 1, 0});
}

// Every one of the 128 glyph lists (codes 32 .. 159) draws its cell, column k mod 16 from the left and row
// k div 16 from the top, on the unit square and advances by 0.9375.
TEST_F(QuadsAndLists, CaptionsArePlacedExpandedAndCutWithBlankCellsForCodesWithoutGlyphs) {
    ASSERT_EQ(fontGlyphCount, 128);
    std::string every;
    std::vector<int> cells;
    for (int k = 0; k < 128; ++k) every += char(32 + k), cells.push_back(k);
    ortho(0, 1, 1);
    struct Case {
        int set;
        const char* format;
        std::string argument;
        float y, sx, sy;
        float x0;                // where the first glyph starts; x is 0.5 throughout
        std::vector<int> cells;  // what is drawn
    };
    const Case cases[] = {
        {0, "%s", every, 0.5f, 0.005f, 0.01f, 0.5f - 0.005f * 63.5f, cells},
        {0, " %s", "42", 0.3f, 0.02f, 0.03f, 0.48f, {0, '4' - 32, '2' - 32}},
        {0, "%s", std::string(300, 'A'), 0.5f, 0.002f, 0.002f, 0.5f - 0.002f * 127, std::vector<int>(255, 33)},
        {0, "A\x01\x7f\x9f\xa0\xff" "B", "", 0.5f, 0.05f, 0.05f, 0.35f, {33, 0, 95, 127, 0, 0, 34}},
        {0, "%s", "", 0.5f, 0.05f, 0.05f, 0.0f, {}},
        {1, "A", "", 0.5f, 0.05f, 0.05f, 0.0f, {}},  // only set 0 exists
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format + c.argument.substr(0, 10));
        const auto glyphs = glyphsOf([&] { printText(c.set, 0.5f, c.y, c.sx, c.sy, c.format, c.argument.c_str()); });
        ASSERT_EQ(glyphs.size(), c.cells.size());
        for (size_t k = 0; k < glyphs.size(); ++k) {
            EXPECT_FLOAT_EQ(glyphs[k].s0, (c.cells[k] % 16) / 16.0f) << k;
            EXPECT_FLOAT_EQ(glyphs[k].s1 - glyphs[k].s0, 1 / 16.0f) << k;
            EXPECT_FLOAT_EQ(glyphs[k].t1, 1.0f - (c.cells[k] / 16) / 16.0f) << k;
            EXPECT_FLOAT_EQ(glyphs[k].t1 - glyphs[k].t0, 1 / 16.0f) << k;
            EXPECT_NEAR(glyphs[k].x0, c.x0 + k * c.sx * 0.9375f, 1e-4f) << k;
            EXPECT_NEAR(glyphs[k].x1 - glyphs[k].x0, c.sx, 1e-5f);
            EXPECT_NEAR(glyphs[k].y0, c.y - c.sy / 2, 1e-5f);
            EXPECT_NEAR(glyphs[k].y1, c.y + c.sy / 2, 1e-5f);
        }
    }
    unsigned char codes[4];
    EXPECT_EQ(fontGlyphCodes("abcdef", codes, 4), 4);  // never more than the capacity
}
