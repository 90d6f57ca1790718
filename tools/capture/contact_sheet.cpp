// Thumbnails are box-filtered from the full frame; labels use a tiny built-in font, so the sheet needs
// nothing but libpng.
#include "contact_sheet.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace {
// Rows of 5 bits, top first, for the characters the labels use.
struct Glyph {
    char c;
    uint8_t rows[7];
};
const Glyph glyphs[] = {
    {'0', {14, 17, 19, 21, 25, 17, 14}}, {'1', {4, 12, 4, 4, 4, 4, 14}},     {'2', {14, 17, 1, 2, 4, 8, 31}},
    {'3', {31, 2, 4, 2, 1, 17, 14}},     {'4', {2, 6, 10, 18, 31, 2, 2}},     {'5', {31, 16, 30, 1, 1, 17, 14}},
    {'6', {6, 8, 16, 30, 17, 17, 14}},   {'7', {31, 1, 2, 4, 8, 8, 8}},       {'8', {14, 17, 17, 14, 17, 17, 14}},
    {'9', {14, 17, 17, 15, 1, 2, 12}},   {'.', {0, 0, 0, 0, 0, 12, 12}},      {':', {0, 12, 12, 0, 12, 12, 0}},
    {'-', {0, 0, 0, 31, 0, 0, 0}},       {'/', {1, 1, 2, 4, 8, 16, 16}},      {'S', {15, 16, 16, 14, 1, 1, 30}},
    {'M', {17, 27, 21, 21, 17, 17, 17}}, {'C', {14, 17, 16, 16, 16, 17, 14}}, {'E', {31, 16, 16, 30, 16, 16, 31}},
    {'N', {17, 17, 25, 21, 19, 17, 17}}, {'T', {31, 4, 4, 4, 4, 4, 4}},      {'F', {31, 16, 16, 30, 16, 16, 16}},
};

const Glyph* findGlyph(char c) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const Glyph& glyph : glyphs)
        if (glyph.c == upper) return &glyph;
    return nullptr;
}

void setPixel(RgbPicture& picture, int x, int y, uint8_t value) {
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return;
    uint8_t* p = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 3];
    p[0] = p[1] = p[2] = value;
}

// The average of the frame's pixels that fall into thumbnail pixel (tx, ty).
void boxFilter(const RgbPicture& frame, int tx, int ty, int thumbWidth, int thumbHeight, uint8_t* out) {
    const int x0 = tx * frame.width / thumbWidth, x1 = std::max(x0 + 1, (tx + 1) * frame.width / thumbWidth);
    const int y0 = ty * frame.height / thumbHeight, y1 = std::max(y0 + 1, (ty + 1) * frame.height / thumbHeight);
    unsigned sum[3] = {0, 0, 0};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c) sum[c] += frame.pixels[(static_cast<size_t>(y) * frame.width + x) * 3 + c];
    const unsigned n = static_cast<unsigned>((x1 - x0) * (y1 - y0));
    for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(sum[c] / n);
}
}  // namespace

void drawLabel(RgbPicture& picture, int x, int y, const std::string& text) {
    for (char c : text) {
        if (const Glyph* glyph = findGlyph(c))
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (glyph->rows[row] & (16 >> col)) setPixel(picture, x + col, y + row, 255);
        x += 6;
    }
}

void startContactSheet(ContactSheet& sheet, int capacity, int frameWidth, int frameHeight) {
    sheet.count = 0;
    sheet.thumbWidth = 192;
    sheet.thumbHeight = std::max(1, 192 * frameHeight / std::max(1, frameWidth));
    const int rows = std::max(1, (capacity + sheet.columns - 1) / sheet.columns);
    sheet.picture.width = sheet.columns * (sheet.thumbWidth + 4) + 4;
    sheet.picture.height = rows * (sheet.thumbHeight + sheet.labelHeight + 4) + 4;
    sheet.picture.pixels.assign(static_cast<size_t>(sheet.picture.width) * sheet.picture.height * 3, 24);
}

void addThumbnail(ContactSheet& sheet, const RgbPicture& frame, const std::string& label) {
    const int rows = (sheet.picture.height - 4) / (sheet.thumbHeight + sheet.labelHeight + 4);
    if (sheet.count >= rows * sheet.columns || frame.width <= 0 || frame.height <= 0) return;
    const int left = 4 + (sheet.count % sheet.columns) * (sheet.thumbWidth + 4);
    const int top = 4 + (sheet.count / sheet.columns) * (sheet.thumbHeight + sheet.labelHeight + 4);
    for (int ty = 0; ty < sheet.thumbHeight; ++ty)
        for (int tx = 0; tx < sheet.thumbWidth; ++tx)
            boxFilter(frame, tx, ty, sheet.thumbWidth, sheet.thumbHeight,
                      &sheet.picture.pixels[(static_cast<size_t>(top + ty) * sheet.picture.width + left + tx) * 3]);
    drawLabel(sheet.picture, left + 2, top + sheet.thumbHeight + 4, label);
    ++sheet.count;
}
