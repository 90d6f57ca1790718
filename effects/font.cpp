// Glyph lists cut from the font sheet and the captions drawn with them in one glCallLists.
#include "effects/font.h"

#include <cstdarg>
#include <cstdio>

#include "image/gl_api.h"

int fontGlyphCount = 0;
unsigned int fontListBase = 0;

namespace {
GLuint fontTexture = 0;   // the sheet's texture, kept by buildFont for every caption
constexpr int glyphsPerSet = 128;
constexpr int firstCode = 32;                         // the space, cell 0
constexpr int lastCode = firstCode + glyphsPerSet - 1; // 159, cell 127
constexpr float cellSize = 0.0625f;                   // 1/16 of the sheet
constexpr float glyphAdvance = 0.9375f;               // glyphs overlap by 1/16 of a cell

void selectFontTexture() {
    if (glActiveTextureARB) glActiveTextureARB(GL_TEXTURE0_ARB);  // null only without multitexture
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
}

// Cell k: column k mod 16 from the left, row k div 16 from the top of the sheet (t = 1).
void compileGlyph(int k) {
    const float s0 = static_cast<float>(k % 16) * cellSize;
    const float s1 = s0 + cellSize;
    const float t1 = 1.0f - static_cast<float>(k / 16) * cellSize;
    const float t0 = t1 - cellSize;
    glNewList(fontListBase + static_cast<GLuint>(k), GL_COMPILE);
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(s1, t1);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(s0, t1);
    glVertex2f(0.0f, 1.0f);
    glTexCoord2f(s1, t0);
    glVertex2f(1.0f, 0.0f);
    glTexCoord2f(s0, t0);
    glVertex2f(0.0f, 0.0f);
    glEnd();
    glTranslatef(glyphAdvance, 0.0f, 0.0f);
    glEndList();
}
}  // namespace

bool buildFont(const Image* sheet) {
    fontTexture = sheet ? sheet->texture : 0;
    fontGlyphCount = glyphsPerSet;
    fontListBase = glGenLists(glyphsPerSet);
    selectFontTexture();
    // With no list names to be had, there is no font: printText then draws nothing.
    if (fontListBase == 0) return true;
    for (int k = 0; k < glyphsPerSet; ++k) compileGlyph(k);
    return true;
}

void releaseFont() {
    if (fontListBase != 0) glDeleteLists(fontListBase, glyphsPerSet);
    fontListBase = 0;
    fontGlyphCount = 0;
    fontTexture = 0;
}

int fontGlyphCodes(const char* text, unsigned char* codes, int capacity) {
    int n = 0;
    for (; text[n] != '\0' && n < capacity; ++n) {
        const int code = static_cast<unsigned char>(text[n]);
        // A code outside the 128 glyphs would name a list the font does not own.
        codes[n] = static_cast<unsigned char>(code >= firstCode && code <= lastCode ? code : ' ');
    }
    return n;
}

void printText(int set, float x, float y, float scaleX, float scaleY, const char* format, ...) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    selectFontTexture();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);

    char text[fontTextBufferSize] = {};
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(text, sizeof text, format ? format : "", arguments);
    va_end(arguments);
    unsigned char codes[fontTextBufferSize - 1];
    const int n = written > 0 ? fontGlyphCodes(text, codes, fontTextBufferSize - 1) : 0;

    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x - scaleX * static_cast<float>(n - 1) * 0.5f, y - scaleY * 0.5f, 1.0f);
    // Only set 0 exists; any other set would name lists that were never made.
    if (set == 0 && fontListBase != 0 && n > 0) {
        glListBase(static_cast<GLuint>(set * glyphsPerSet) + fontListBase - firstCode);
        glScalef(scaleX, scaleY, 1.0f);
        glCallLists(n, GL_UNSIGNED_BYTE, codes);
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
}
