// The bitmap font on a real context: each glyph list's cell and advance, captions placed, expanded
// and cut at 255 characters with blank cells for codes without a glyph, the additive blend on real
// pixels, and the state printText leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
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

// One glyph as drawn (a strip of two triangles): its screen rectangle in 0..1 units, its texture
// cell, and whether every corner takes the matching corner of the cell (not mirrored or turned).
struct Glyph {
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f, s0 = 1e9f, s1 = -1e9f, t0 = 1e9f, t1 = -1e9f;
    bool upright = true;
};

std::vector<Glyph> glyphsOf(const std::function<void()>& draw) {
    bool overflow = false;
    const auto polygons = captureFeedbackPolygons(draw, &overflow);
    EXPECT_FALSE(overflow);
    EXPECT_EQ(polygons.size() % 2, 0u);
    std::vector<Glyph> glyphs(polygons.size() / 2);
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < glyphs.size() * 2; ++i)
            for (const FeedbackVertex& v : polygons[i].vertices) {
                Glyph& g = glyphs[i / 2];
                const float x = v.x / side, y = v.y / side, s = v.tex[0], t = v.tex[1];
                if (pass == 0) {
                    g.x0 = std::min(g.x0, x), g.x1 = std::max(g.x1, x), g.y0 = std::min(g.y0, y);
                    g.y1 = std::max(g.y1, y), g.s0 = std::min(g.s0, s), g.s1 = std::max(g.s1, s);
                    g.t0 = std::min(g.t0, t), g.t1 = std::max(g.t1, t);
                } else {
                    g.upright = g.upright && (std::fabs(x - g.x0) < 1e-5f) == (s == g.s0) &&
                                (std::fabs(y - g.y0) < 1e-5f) == (t == g.t0);
                }
            }
    return glyphs;
}

// Cell k of the sheet: column k mod 16 from the left, row k div 16 from the top.
void expectCell(const Glyph& g, int k) {
    SCOPED_TRACE(k);
    EXPECT_FLOAT_EQ(g.s0, (k % 16) / 16.0f);
    EXPECT_FLOAT_EQ(g.s1, (k % 16 + 1) / 16.0f);
    EXPECT_FLOAT_EQ(g.t1, 1.0f - (k / 16) / 16.0f);
    EXPECT_FLOAT_EQ(g.t0, 1.0f - (k / 16 + 1) / 16.0f);
    EXPECT_TRUE(g.upright);
}

// The font sheet in sceneImages slot 6 (white in cell 33, 'A', black elsewhere) and the glyph lists.
class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(side, side));
        ASSERT_TRUE(resolveMultitextureEntryPoints());
        std::vector<unsigned char> texels(256 * 256 * 4, 0);
        for (int y = 255 - 47; y <= 255 - 32; ++y)  // cell row 2 from the top, column 1
            std::fill_n(texels.begin() + (y * 256 + 16) * 4, 16 * 4, 255);
        previous = sceneImages[6];
        sceneImages[6] = new Image;
        glGenTextures(1, &sceneImages[6]->texture);
        glBindTexture(GL_TEXTURE_2D, sceneImages[6]->texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glActiveTextureARB(GL_TEXTURE0_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        ASSERT_TRUE(buildFont());
        glViewport(0, 0, side, side);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, 1, 0, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_CULL_FACE);
    }
    void TearDown() override {
        if (fontListBase) glDeleteLists(fontListBase, fontGlyphCount);
        fontListBase = 0;
        releaseImage(sceneImages[6]);
        sceneImages[6] = previous;
        // Later tests in this process start from plain untextured, unblended drawing.
        for (GLenum cap : {GL_TEXTURE_2D, GL_BLEND, GL_LIGHTING, GL_DEPTH_TEST}) glDisable(cap);
    }
    Image* previous = nullptr;
};
}  // namespace

TEST_F(FontTest, EachOf128ListsDrawsItsCellAsTheUnitSquareAndAdvances) {
    ASSERT_EQ(fontGlyphCount, 128);
    for (int k = 0; k < 128; ++k) {
        glLoadIdentity();
        const auto glyphs = glyphsOf([&] { glCallList(fontListBase + k); });
        ASSERT_EQ(glyphs.size(), 1u) << k;
        expectCell(glyphs[0], k);
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

TEST_F(FontTest, CaptionsArePlacedExpandedAndCutWithBlankCellsForCodesWithoutGlyphs) {
    struct Case {
        int set;
        const char* format;
        std::string argument;
        float y, sx, sy;
        float x0;                // where the first glyph starts; x is 0.5 throughout
        std::vector<int> cells;  // what is drawn
    };
    const Case cases[] = {
        {0, "A", "", 0.5f, 0.05f, 0.05f, 0.5f, {33}},
        {0, "AB", "", 0.5f, 0.05f, 0.05f, 0.475f, {33, 34}},
        {0, " %s", "42", 0.3f, 0.02f, 0.03f, 0.48f, {0, '4' - 32, '2' - 32}},
        {0, "%s", std::string(300, 'A'), 0.5f, 0.002f, 0.002f, 0.5f - 0.002f * 127, std::vector<int>(255, 33)},
        {0, "A\x01\x7f\x9f\xa0\xff" "B", "", 0.5f, 0.05f, 0.05f, 0.35f, {33, 0, 95, 127, 0, 0, 34}},
        {0, "%s", "", 0.5f, 0.05f, 0.05f, 0.0f, {}},
        {1, "A", "", 0.5f, 0.05f, 0.05f, 0.0f, {}},  // only set 0 exists
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format + c.argument.substr(0, 10));
        const auto glyphs =
            glyphsOf([&] { printText(c.set, 0.5f, c.y, c.sx, c.sy, c.format, c.argument.c_str()); });
        ASSERT_EQ(glyphs.size(), c.cells.size());
        for (size_t k = 0; k < glyphs.size(); ++k) {
            expectCell(glyphs[k], c.cells[k]);
            EXPECT_NEAR(glyphs[k].x0, c.x0 + k * c.sx * 0.9375f, 1e-4f) << k;
            EXPECT_NEAR(glyphs[k].x1 - glyphs[k].x0, c.sx, 1e-5f);
            EXPECT_NEAR(glyphs[k].y0, c.y - c.sy / 2, 1e-5f);
            EXPECT_NEAR(glyphs[k].y1, c.y + c.sy / 2, 1e-5f);
        }
    }
    unsigned char codes[4];
    EXPECT_EQ(fontGlyphCodes("abcdef", codes, 4), 4);  // never more than the capacity
}

TEST_F(FontTest, AddsOntoTheFrameAndLeavesItsState) {
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
    unsigned char a[4], b[4];
    glReadPixels(static_cast<int>(0.37f * side), side / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, a);
    glReadPixels(static_cast<int>(0.87f * side), side / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, b);
    EXPECT_EQ(a[0], 255);
    EXPECT_NEAR(a[1], 51, 1);
    EXPECT_NEAR(b[0], 51, 1);

    for (const char* text : {"A", ""}) {  // the same state after an empty text
        SCOPED_TRACE(text);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        glLoadIdentity();
        printText(0, 0.5f, 0.5f, 0.05f, 0.05f, "%s", text);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_TEXTURE_2D));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        const std::pair<GLenum, GLint> expected[] = {
            {GL_ACTIVE_TEXTURE_ARB, GL_TEXTURE0_ARB}, {GL_BLEND_SRC, GL_SRC_COLOR}, {GL_BLEND_DST, GL_ONE},
            {GL_MATRIX_MODE, GL_MODELVIEW}, {GL_TEXTURE_BINDING_2D, GLint(sceneImages[6]->texture)}};
        for (const auto& [name, value] : expected) {
            GLint got = 0;
            glGetIntegerv(name, &got);
            EXPECT_EQ(got, value) << name;
        }
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        EXPECT_EQ(m[12], 0.0f);  // the caller's matrix is untouched
        EXPECT_EQ(m[0], 1.0f);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
