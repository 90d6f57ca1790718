// The demo's typeface rasterised with FreeType into coverage maps, for the font sheet, the logos and icons.
#pragma once
#include <string>
#include <vector>

// The lettering of the whole demo is Play (Debian's fonts-play, SIL Open Font License): a squared,
// technical sans whose bold strokes stay readable when added over fog. Both faces live in one folder.
extern const char* const letteringFolder;
extern const char* const letteringBold;      // file name of the heavy face
extern const char* const letteringRegular;   // file name of the light face

// A grey map of 0..1 floats, rows top first.
struct Coverage {
    int width = 0, height = 0;
    std::vector<float> value;
    Coverage() = default;
    Coverage(int w, int h) : width(w), height(h), value(static_cast<size_t>(w) * h, 0.0f) {}
    float& at(int x, int y) { return value[static_cast<size_t>(y) * width + x]; }
    float at(int x, int y) const { return value[static_cast<size_t>(y) * width + x]; }
    float clampedAt(int x, int y) const;   // 0 outside the map
};

// One rendered glyph: its coverage and where it sits relative to the pen on the baseline.
struct GlyphImage {
    Coverage coverage;
    int left = 0;         // pixels from the pen to the bitmap's left edge
    int top = 0;          // pixels from the baseline up to the bitmap's top row
    float advance = 0;    // pixels the pen moves after the glyph
};

// An open FreeType face; closes the library and face when it goes.
class FontFace {
public:
    FontFace() = default;
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Opens a face file of letteringFolder (e.g. letteringBold); false with a message on failure.
    bool open(const std::string& fileName);
    // Em size in pixels; xScale < 1 draws narrower glyphs (for pictures stretched when shown), yScale
    // flatter ones.
    bool setSize(float emPixels, float xScale = 1.0f, float yScale = 1.0f);
    // Thickens every stroke by `emFraction` of the em on each side (0: the face as drawn).
    void setWeightBoost(float emFraction) { boost_ = emFraction; }
    // Renders one character antialiased; false when the face has no such glyph or rendering fails.
    bool render(unsigned long code, GlyphImage& out) const;
    // Pen advance of a whole text in pixels, with `tracking` extra pixels between characters.
    float textWidth(const std::string& text, float tracking) const;
    // Adds the glyphs of a text (maximum of coverages) with the pen starting at x on baseline y.
    void drawText(const std::string& text, float x, float baseline, float tracking, Coverage& canvas) const;

private:
    void* library_ = nullptr;   // FT_Library
    void* face_ = nullptr;      // FT_Face
    float boost_ = 0.0f;        // stroke thickening, fraction of the em
    float em_ = 0.0f;           // pixels, as last set
};
