// FreeType wrapper: one face at a time, glyphs rendered to 8-bit antialiased bitmaps and kept as floats.
#include "common/glyphs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

const char* const letteringFolder = "/usr/share/fonts/truetype/play/";
const char* const letteringBold = "Play-Bold.ttf";
const char* const letteringRegular = "Play-Regular.ttf";

float Coverage::clampedAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
    return at(x, y);
}

FontFace::~FontFace() {
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool FontFace::open(const std::string& fileName) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "assetgen: FreeType cannot start\n");
        return false;
    }
    library_ = library;
    const std::string path = std::string(letteringFolder) + fileName;
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "assetgen: cannot open the font %s (install fonts-play)\n", path.c_str());
        return false;
    }
    face_ = face;
    return true;
}

bool FontFace::setSize(float emPixels, float xScale, float yScale) {
    FT_Face face = static_cast<FT_Face>(face_);
    if (!face || emPixels <= 0.0f) return false;
    if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(emPixels * 64.0f)), 72, 72) != 0) return false;
    FT_Matrix matrix{static_cast<FT_Fixed>(std::lround(xScale * 65536.0f)), 0, 0,
                     static_cast<FT_Fixed>(std::lround(yScale * 65536.0f))};
    FT_Set_Transform(face, &matrix, nullptr);
    em_ = emPixels;
    return true;
}

bool FontFace::render(unsigned long code, GlyphImage& out) const {
    FT_Face face = static_cast<FT_Face>(face_);
    if (!face) return false;
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0 && code != ' ') return false;
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING) != 0) return false;
    if (boost_ > 0.0f && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_Outline_Embolden(&face->glyph->outline, static_cast<FT_Pos>(std::lround(2.0f * boost_ * em_ * 64.0f)));
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return false;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    out.coverage = Coverage(static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows));
    for (int y = 0; y < out.coverage.height; ++y)
        for (int x = 0; x < out.coverage.width; ++x)
            out.coverage.at(x, y) = bitmap.buffer[y * bitmap.pitch + x] / 255.0f;
    out.left = face->glyph->bitmap_left;
    out.top = face->glyph->bitmap_top;
    out.advance = static_cast<float>(face->glyph->advance.x) / 64.0f;
    return true;
}

float FontFace::textWidth(const std::string& text, float tracking) const {
    float width = 0.0f;
    GlyphImage glyph;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!render(static_cast<unsigned char>(text[i]), glyph)) continue;
        width += glyph.advance + (i + 1 < text.size() ? tracking : 0.0f);
    }
    return width;
}

void FontFace::drawText(const std::string& text, float x, float baseline, float tracking, Coverage& canvas) const {
    GlyphImage glyph;
    float pen = x;
    for (char c : text) {
        if (!render(static_cast<unsigned char>(c), glyph)) continue;
        const int originX = static_cast<int>(std::lround(pen)) + glyph.left;
        const int originY = static_cast<int>(std::lround(baseline)) - glyph.top;
        for (int gy = 0; gy < glyph.coverage.height; ++gy)
            for (int gx = 0; gx < glyph.coverage.width; ++gx) {
                const int cx = originX + gx, cy = originY + gy;
                if (cx < 0 || cy < 0 || cx >= canvas.width || cy >= canvas.height) continue;
                float& cell = canvas.at(cx, cy);
                cell = std::max(cell, glyph.coverage.at(gx, gy));
            }
        pen += glyph.advance + tracking;
    }
}
