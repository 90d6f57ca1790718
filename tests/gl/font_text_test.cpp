// The bitmap font on a real context: glyph cells and advances read back in feedback mode, captions
// centred and expanded like printf, the cut at 255 characters, blank cells for codes without a glyph,
// the additive blend on real pixels, and the state printText leaves behind.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "demo/demo_images.h"
#include "effects/font.h"
#include "image/gl_entry_points.h"
#include "image/texture.h"
#include "support/gl_feedback.h"
#include "support/gl_test_context.h"

namespace {
constexpr int side = 256;
constexpr float cell = 0.0625f;

// One glyph as drawn: its screen rectangle (0..1 units) and its texture cell.
struct Glyph {
    float x0, x1, y0, y1;
    float s0, s1, t0, t1;
    bool cornersMatch;  // every vertex pairs its left/bottom edge with the cell's left/bottom edge
};

std::vector<Glyph> glyphsOf(const std::vector<FeedbackPolygon>& polygons) {
    // A glyph strip arrives as one or more polygons sharing the same screen rectangle.
    std::vector<std::vector<FeedbackVertex>> groups;
    float lastMin = NAN, lastMax = NAN;
    for (const FeedbackPolygon& polygon : polygons) {
        float lo = 1e9f, hi = -1e9f;
        for (const FeedbackVertex& v : polygon.vertices) {
            lo = std::fmin(lo, v.x);
            hi = std::fmax(hi, v.x);
        }
        if (groups.empty() || lo != lastMin || hi != lastMax) groups.emplace_back();
        groups.back().insert(groups.back().end(), polygon.vertices.begin(), polygon.vertices.end());
        lastMin = lo;
        lastMax = hi;
    }
    std::vector<Glyph> glyphs;
    for (const auto& vertices : groups) {
        Glyph g{1e9f, -1e9f, 1e9f, -1e9f, 1e9f, -1e9f, 1e9f, -1e9f, true};
        for (const FeedbackVertex& v : vertices) {
            g.x0 = std::fmin(g.x0, v.x / side);
            g.x1 = std::fmax(g.x1, v.x / side);
            g.y0 = std::fmin(g.y0, v.y / side);
            g.y1 = std::fmax(g.y1, v.y / side);
            g.s0 = std::fmin(g.s0, v.tex[0]);
            g.s1 = std::fmax(g.s1, v.tex[0]);
            g.t0 = std::fmin(g.t0, v.tex[1]);
            g.t1 = std::fmax(g.t1, v.tex[1]);
        }
        for (const FeedbackVertex& v : vertices) {
            const bool left = std::fabs(v.x / side - g.x0) < 1e-5f;
            const bool bottom = std::fabs(v.y / side - g.y0) < 1e-5f;
            if (left != (v.tex[0] == g.s0) || bottom != (v.tex[1] == g.t0)) g.cornersMatch = false;
        }
        glyphs.push_back(g);
    }
    return glyphs;
}

void expectCell(const Glyph& g, int k) {
    SCOPED_TRACE(k);
    EXPECT_FLOAT_EQ(g.s0, static_cast<float>(k % 16) * cell);
    EXPECT_FLOAT_EQ(g.s1, static_cast<float>(k % 16) * cell + cell);
    EXPECT_FLOAT_EQ(g.t1, 1.0f - static_cast<float>(k / 16) * cell);
    EXPECT_FLOAT_EQ(g.t0, 1.0f - static_cast<float>(k / 16) * cell - cell);
    EXPECT_TRUE(g.cornersMatch);
}

void startOrtho() {
    glViewport(0, 0, side, side);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
}

template <typename... Args>
std::vector<Glyph> printed(float x, float y, float sx, float sy, const char* format, Args... args) {
    bool overflow = false;
    auto polygons = captureFeedbackPolygons([&] { printText(0, x, y, sx, sy, format, args...); }, &overflow);
    EXPECT_FALSE(overflow);
    return glyphsOf(polygons);
}

// A 256 x 256 sheet of 16 x 16-texel cells: white in cell 33 ('A'), black everywhere else.
GLuint makeSheetTexture() {
    std::vector<unsigned char> texels(256 * 256 * 4, 0);
    const int column = 33 % 16, rowFromTop = 33 / 16;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const int px = column * 16 + x;
            const int py = 255 - (rowFromTop * 16 + y);  // rows bottom first: row 0 of cells at the top
            for (int c = 0; c < 4; ++c) texels[(py * 256 + px) * 4 + c] = 255;
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

// The font sheet in sceneImages slot 6 and the glyph lists, for one test.
class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(side, side));
        ASSERT_TRUE(resolveMultitextureEntryPoints());
        previous = sceneImages[6];
        sceneImages[6] = new Image;
        sceneImages[6]->texture = makeSheetTexture();
        glActiveTextureARB(GL_TEXTURE0_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        ASSERT_TRUE(buildFont());
        startOrtho();
    }
    void TearDown() override {
        if (fontListBase) glDeleteLists(fontListBase, fontGlyphCount);
        fontListBase = 0;
        releaseImage(sceneImages[6]);
        sceneImages[6] = previous;
        // Later tests in this process start from plain untextured, unblended drawing.
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
    }
    Image* previous = nullptr;
};
}  // namespace

TEST_F(FontTest, BuildsOneListPerCellAdvancingFifteenSixteenths) {
    EXPECT_EQ(fontGlyphCount, 128);
    ASSERT_NE(fontListBase, 0u);
    for (int k = 0; k < 128; ++k) ASSERT_TRUE(glIsList(fontListBase + k)) << k;
    // buildFont leaves unit 0 textured with the sheet bound; the lists themselves bind nothing.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), sceneImages[6]->texture);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    for (int k : {0, 1, 15, 16, 33, 95, 127}) {
        glLoadIdentity();
        const auto glyphs = glyphsOf(captureFeedbackPolygons([&] { glCallList(fontListBase + k); }));
        ASSERT_EQ(glyphs.size(), 1u);
        expectCell(glyphs[0], k);
        // The unit square of the current coordinate system.
        EXPECT_FLOAT_EQ(glyphs[0].x0, 0.0f);
        EXPECT_FLOAT_EQ(glyphs[0].x1, 1.0f);
        EXPECT_FLOAT_EQ(glyphs[0].y0, 0.0f);
        EXPECT_FLOAT_EQ(glyphs[0].y1, 1.0f);
        glLoadIdentity();
        glCallList(fontListBase + k);
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        EXPECT_FLOAT_EQ(m[12], 0.9375f);
        EXPECT_FLOAT_EQ(m[13], 0.0f);
    }
    glLoadIdentity();
}

TEST_F(FontTest, PlacesOneAndTwoGlyphsAndExpandsFormats) {
    // "A": one glyph from (0.5, 0.475) to (0.55, 0.525), cell 33 (column 1, row 2 from the top).
    auto glyphs = printed(0.5f, 0.5f, 0.05f, 0.05f, "A");
    ASSERT_EQ(glyphs.size(), 1u);
    expectCell(glyphs[0], 33);
    EXPECT_NEAR(glyphs[0].x0, 0.5f, 1e-5f);
    EXPECT_NEAR(glyphs[0].x1, 0.55f, 1e-5f);
    EXPECT_NEAR(glyphs[0].y0, 0.475f, 1e-5f);
    EXPECT_NEAR(glyphs[0].y1, 0.525f, 1e-5f);

    // Two glyphs start at 0.475; the second starts 0.9375 x 0.05 further right.
    glyphs = printed(0.5f, 0.5f, 0.05f, 0.05f, "AB");
    ASSERT_EQ(glyphs.size(), 2u);
    expectCell(glyphs[0], 33);
    expectCell(glyphs[1], 34);
    EXPECT_NEAR(glyphs[0].x0, 0.475f, 1e-5f);
    EXPECT_NEAR(glyphs[1].x0, 0.475f + 0.046875f, 1e-5f);
    EXPECT_NEAR(glyphs[1].x1 - glyphs[1].x0, 0.05f, 1e-5f);

    // A space draws cell 0 and advances like any glyph; "%d" of 42 draws '4' and '2'.
    glyphs = printed(0.5f, 0.3f, 0.02f, 0.03f, " %d", 42);
    ASSERT_EQ(glyphs.size(), 3u);
    expectCell(glyphs[0], 0);
    expectCell(glyphs[1], '4' - 32);
    expectCell(glyphs[2], '2' - 32);
    EXPECT_NEAR(glyphs[0].x0, 0.5f - 0.02f, 1e-5f);
    EXPECT_NEAR(glyphs[2].x0 - glyphs[1].x0, 0.02f * 0.9375f, 1e-5f);
    EXPECT_NEAR(glyphs[0].y0, 0.3f - 0.015f, 1e-5f);
    EXPECT_NEAR(glyphs[0].y1, 0.3f + 0.015f, 1e-5f);

    // The caller's modelview matrix is untouched.
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[0], 1.0f);
    EXPECT_EQ(m[12], 0.0f);
}

TEST_F(FontTest, CutsLongTextsAndDrawsCodesWithoutGlyphsAsBlankCells) {
    // 300 characters fit no buffer of 256: the first 255 are drawn, nothing is written past it.
    const std::string longText(300, 'A');
    auto glyphs = printed(0.5f, 0.5f, 0.002f, 0.002f, "%s", longText.c_str());
    ASSERT_EQ(glyphs.size(), 255u);
    EXPECT_NEAR(glyphs[0].x0, 0.5f - 0.002f * 254 * 0.5f, 1e-5f);
    expectCell(glyphs[254], 33);
    EXPECT_NEAR(glyphs[254].x0 - glyphs[0].x0, 254 * 0.002f * 0.9375f, 1e-4f);

    // Codes below 32 or above 159 have no glyph list: each is a blank cell (the space) in its place.
    glyphs = printed(0.5f, 0.5f, 0.05f, 0.05f, "A\x01\x7f\x9f\xa0\xff" "B");
    ASSERT_EQ(glyphs.size(), 7u);
    expectCell(glyphs[0], 33);
    expectCell(glyphs[1], 0);
    expectCell(glyphs[2], 127 - 32);
    expectCell(glyphs[3], 159 - 32);
    expectCell(glyphs[4], 0);
    expectCell(glyphs[5], 0);
    expectCell(glyphs[6], 34);
    EXPECT_NEAR(glyphs[6].x0 - glyphs[0].x0, 6 * 0.05f * 0.9375f, 1e-5f);

    unsigned char codes[4];
    EXPECT_EQ(fontGlyphCodes("abcdef", codes, 4), 4);  // never more than the capacity
    EXPECT_EQ(codes[3], 'd');

    // An empty text and a set other than 0 draw nothing.
    EXPECT_TRUE(printed(0.5f, 0.5f, 0.05f, 0.05f, "%s", "").empty());
    EXPECT_TRUE(glyphsOf(captureFeedbackPolygons([] { printText(1, 0.5f, 0.5f, 0.05f, 0.05f, "A"); })).empty());
}

TEST_F(FontTest, BlendsAdditivelyAndLeavesItsState) {
    // Disturb everything printText sets.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBlendFunc(GL_ONE, GL_ZERO);
    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);

    printText(0, 0.25f, 0.5f, 0.25f, 0.25f, "A");  // cell 33 is white: red is added
    printText(0, 0.75f, 0.5f, 0.25f, 0.25f, "B");  // cell 34 is black: the frame stays
    glFinish();
    glReadBuffer(GL_FRONT);
    unsigned char pixel[4];
    glReadPixels(static_cast<int>(0.37f * side), side / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 51, 1);
    EXPECT_NEAR(pixel[2], 51, 1);
    glReadPixels(static_cast<int>(0.87f * side), side / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_NEAR(pixel[0], 51, 1);
    EXPECT_NEAR(pixel[1], 51, 1);

    // The state left behind, the same after an empty text.
    for (const char* text : {"A", ""}) {
        SCOPED_TRACE(text);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        printText(0, 0.5f, 0.5f, 0.05f, 0.05f, "%s", text);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        GLint value = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &value);
        EXPECT_EQ(value, GL_TEXTURE0_ARB);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
        EXPECT_EQ(static_cast<GLuint>(value), sceneImages[6]->texture);
        glGetIntegerv(GL_BLEND_SRC, &value);
        EXPECT_EQ(value, GL_SRC_COLOR);
        glGetIntegerv(GL_BLEND_DST, &value);
        EXPECT_EQ(value, GL_ONE);
        glGetIntegerv(GL_MATRIX_MODE, &value);
        EXPECT_EQ(value, GL_MODELVIEW);
    }
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
