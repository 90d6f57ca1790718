// The font sheet: 16 x 16 cells of 64 pixels, cell k holding character k + 32 from the top-left, white
// antialiased Play Bold on black. The text drawing adds each glyph weighted by its own colour,
// so black is invisible; alpha repeats the brightness for mipmapping and any alpha blending.
#include <algorithm>
#include <cmath>

#include "common/glyphs.h"
#include "common/image_writers.h"
#include "common/picture_ops.h"
#include "images/images.h"

namespace {

constexpr int sheetSize = 1024, cellSize = 64;
constexpr int firstCode = 32, lastCode = 126;
// Glyphs advance 0.9375 of a cell, so a glyph wider than 60 pixels would touch its neighbours.
constexpr int glyphWidthLimit = 60;

struct SheetMetrics {
    float em;        // pixels
    int baseline;    // pixel row within a cell
};

// The size is set by the round capitals: 'O' and 'H' span 56 pixels and the capitals and digits stand
// 46 pixels tall at most, as large as the advance allows. Wider glyphs ('W', 'M', '@', 'm') are
// narrowed to the advance when drawn; the few that reach beyond the cell ('|', '_', brackets,
// descenders) are flattened to fit. The baseline leaves the descenders a quarter of the cell.
SheetMetrics measure(FontFace& face) {
    constexpr float probe = 100.0f;
    face.setSize(probe);
    int wide = 1, top = 1;
    GlyphImage glyph;
    for (int code : {'O', 'H'})
        if (face.render(static_cast<unsigned long>(code), glyph)) wide = std::max(wide, glyph.coverage.width);
    for (int code = '0'; code <= 'Z'; ++code)
        if ((code <= '9' || code >= 'A') && face.render(static_cast<unsigned long>(code), glyph)) top = std::max(top, glyph.top);
    const float scale = std::min(56.0f / static_cast<float>(wide), 46.0f / static_cast<float>(top));
    SheetMetrics metrics;
    metrics.em = probe * scale;
    metrics.baseline = cellSize - cellSize / 4 + 1;
    return metrics;
}

// Renders a character at the sheet's size, narrowed to the advance and flattened into the cell where
// it would not fit; false when the face has no glyph for it.
bool renderFitted(FontFace& face, const SheetMetrics& metrics, int code, GlyphImage& glyph) {
    face.setSize(metrics.em);
    if (!face.render(static_cast<unsigned long>(code), glyph)) return false;
    float xScale = 1.0f, yScale = 1.0f;
    if (glyph.coverage.width > glyphWidthLimit)
        xScale = static_cast<float>(glyphWidthLimit) / static_cast<float>(glyph.coverage.width + 1);
    const int above = glyph.top - (metrics.baseline - 1), below = (glyph.coverage.height - glyph.top) - (cellSize - 1 - metrics.baseline);
    if (above > 0 || below > 0) {
        const float upScale = glyph.top > 0 ? static_cast<float>(metrics.baseline - 1) / static_cast<float>(glyph.top + 1) : 1.0f;
        const int depth = glyph.coverage.height - glyph.top;
        const float downScale = depth > 0 ? static_cast<float>(cellSize - 1 - metrics.baseline) / static_cast<float>(depth + 1) : 1.0f;
        yScale = std::min({1.0f, upScale, downScale});
    }
    if (xScale == 1.0f && yScale == 1.0f) return true;
    face.setSize(metrics.em, xScale, yScale);
    return face.render(static_cast<unsigned long>(code), glyph);
}

// Draws one character centred in its cell on the common baseline.
void drawCell(FontFace& face, const SheetMetrics& metrics, int code, Picture& sheet) {
    GlyphImage glyph;
    if (!renderFitted(face, metrics, code, glyph)) return;
    const int k = code - firstCode;
    const int cellX = (k % 16) * cellSize, cellY = (k / 16) * cellSize;
    const int left = cellX + (cellSize - glyph.coverage.width) / 2;
    const int top = cellY + metrics.baseline - glyph.top;
    for (int y = 0; y < glyph.coverage.height; ++y)
        for (int x = 0; x < glyph.coverage.width; ++x) {
            const int px = left + x, py = top + y;
            if (px < cellX || py < cellY || px >= cellX + cellSize || py >= cellY + cellSize) continue;
            const uint8_t v = toByte(glyph.coverage.at(x, y));
            uint8_t* out = sheet.at(px, py);
            out[0] = out[1] = out[2] = out[3] = std::max(out[3], v);
        }
}

}  // namespace

bool writeFontSheet(const std::string& folder) {
    FontFace face;
    if (!face.open(letteringBold)) return false;
    // Text is added onto the scenes and drawn a third of a cell's size: heavier strokes keep their light.
    face.setWeightBoost(0.018f);
    const SheetMetrics metrics = measure(face);
    Picture sheet(sheetSize, sheetSize, 4);
    for (int code = firstCode + 1; code <= lastCode; ++code) drawCell(face, metrics, code, sheet);
    return writeTga(folder + "font.tga", sheet);
}
