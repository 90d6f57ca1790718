// The bitmap font on a real context (feedback mode): each glyph list's cell and advance, captions
// placed, expanded and cut at 255 characters with blank cells for codes without a glyph, and the state
// printText leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
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

// A glyph as drawn: the bounds of the first of its strip's two triangles, which holds three corners.
struct Glyph {
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f, s0 = 1e9f, t1 = -1e9f;
};
std::vector<Glyph> glyphsOf(const std::function<void()>& draw) {
    bool overflow = false;
    const auto polygons = captureFeedbackPolygons(draw, &overflow);
    EXPECT_FALSE(overflow);
    std::vector<Glyph> glyphs;
    for (size_t i = 0; i < polygons.size(); i += 2) {
        Glyph g;
        for (const FeedbackVertex& v : polygons[i].vertices) {
            g.x0 = std::min(g.x0, v.x / side), g.x1 = std::max(g.x1, v.x / side);
            g.y0 = std::min(g.y0, v.y / side), g.y1 = std::max(g.y1, v.y / side);
            g.s0 = std::min(g.s0, v.tex[0]), g.t1 = std::max(g.t1, v.tex[1]);
        }
        glyphs.push_back(g);
    }
    return glyphs;
}

// The font sheet's texture in sceneImages slot 6, the glyph lists, and a 0..1 view of the window.
class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeGlTestContext(side, side));
        ASSERT_TRUE(resolveMultitextureEntryPoints());
        previous = sceneImages[6];
        sceneImages[6] = new Image;
        glGenTextures(1, &sceneImages[6]->texture);
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

TEST_F(FontTest, EachOf128ListsDrawsItsCellOnTheUnitSquareAndAdvances) {
    ASSERT_EQ(fontGlyphCount, 128);
    for (int k = 0; k < 128; ++k) {
        SCOPED_TRACE(k);
        glLoadIdentity();
        const auto polygons = captureFeedbackPolygons([&] { glCallList(fontListBase + k); });
        ASSERT_EQ(polygons.size(), 2u);
        // Cell k: column k mod 16 from the left, row k div 16 from the top; its corners on the square's.
        for (const FeedbackPolygon& polygon : polygons)
            for (const FeedbackVertex& v : polygon.vertices) {
                const float x = v.x / side, y = v.y / side;
                ASSERT_TRUE((x == 0 || x == 1) && (y == 0 || y == 1)) << x << "," << y;
                EXPECT_FLOAT_EQ(v.tex[0], (k % 16 + x) / 16.0f);
                EXPECT_FLOAT_EQ(v.tex[1], 1.0f - (k / 16 + 1 - y) / 16.0f);
            }
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
        const auto glyphs = glyphsOf([&] { printText(c.set, 0.5f, c.y, c.sx, c.sy, c.format, c.argument.c_str()); });
        ASSERT_EQ(glyphs.size(), c.cells.size());
        for (size_t k = 0; k < glyphs.size(); ++k) {
            EXPECT_FLOAT_EQ(glyphs[k].s0, (c.cells[k] % 16) / 16.0f) << k;
            EXPECT_FLOAT_EQ(glyphs[k].t1, 1.0f - (c.cells[k] / 16) / 16.0f) << k;
            EXPECT_NEAR(glyphs[k].x0, c.x0 + k * c.sx * 0.9375f, 1e-4f) << k;
            EXPECT_NEAR(glyphs[k].x1 - glyphs[k].x0, c.sx, 1e-5f);
            EXPECT_NEAR(glyphs[k].y0, c.y - c.sy / 2, 1e-5f);
            EXPECT_NEAR(glyphs[k].y1, c.y + c.sy / 2, 1e-5f);
        }
    }
    unsigned char codes[4];
    EXPECT_EQ(fontGlyphCodes("abcdef", codes, 4), 4);  // never more than the capacity
}

TEST_F(FontTest, PrintTextBlendsAdditivelyWithTheSheetAndLeavesDepthAndLightingOn) {
    for (const char* text : {"A", ""}) {  // the same after an empty text
        SCOPED_TRACE(text);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ZERO);
        glBindTexture(GL_TEXTURE_2D, 0);
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
