// The bitmap font: 128 glyph display lists cut from the 16 x 16 font sheet, and printf-style captions.
#pragma once
#include "image/image.h"

extern int fontGlyphCount;        // glyph lists made by buildFont (128)
extern unsigned int fontListBase; // first of the consecutive glyph list names; 0 before buildFont

constexpr int fontTextBufferSize = 256;  // characters of one formatted text, terminator included

// Compiles the glyph lists over the font sheet's texture (none: untextured cells); needs
// glActiveTextureARB. releaseFont deletes them again.
bool buildFont(const Image* sheet);
void releaseFont();

// Formats like printf and draws the text additively in the 0..1 screen space, the first glyph's left
// edge half of (n - 1) glyph widths left of x and the cells centred on y; scaleX and scaleY are one
// glyph cell in screen units. Texts longer than 255 characters are cut; characters without a glyph
// (codes below 32 or above 159) draw as blank cells; sets other than 0 and an unbuilt font draw nothing.
void printText(int set, float x, float y, float scaleX, float scaleY, const char* format, ...)
    __attribute__((format(printf, 6, 7)));

// The glyph list codes printText hands to glCallLists for a formatted text: its characters with every
// one outside the font replaced by a space. Returns n, the number of glyphs.
int fontGlyphCodes(const char* text, unsigned char* codes, int capacity);
