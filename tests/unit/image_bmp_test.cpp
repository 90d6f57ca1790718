// The BMP decoder: channel order, row order and padding, the alpha rule, and what it rejects.
#include <gtest/gtest.h>

#include <memory>

#include "image/image.h"
#include "unit/image_test_files.h"

namespace {
std::string dir = scratchDirectory();

std::unique_ptr<Image> loadBmpBytes(const Bytes& bytes, const char* name = "picture.bmp", bool alpha = false) {
    std::string path = dir + "/" + name;
    writeBytes(path, bytes);
    auto image = std::make_unique<Image>();
    if (alpha) image->loadWithAlpha(path.c_str());
    else image->load(path.c_str());
    return image;
}

// Rows in file order (bottom first) of a width x 2 picture: bottom row pixel x = (B x, G 1, R 2), top row
// pixel x = (B x, G 3, R 4).
std::vector<Bytes> twoRows(int width) {
    Bytes bottom, top;
    for (int x = 0; x < width; ++x) {
        bottom.insert(bottom.end(), {static_cast<uint8_t>(x), 1, 2});
        top.insert(top.end(), {static_cast<uint8_t>(x), 3, 4});
    }
    return {bottom, top};
}
}  // namespace

TEST(BmpDecoder, SwapsToRgbKeepsBottomRowFirstAndDropsRowPadding) {
    // Width 3: 9 bytes of pixels per row, padded to 12 in the file.
    auto image = loadBmpBytes(bmpFile(3, 2, twoRows(3)));
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->format, IMAGE_BMP);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->bytesPerPixel, 3);
    EXPECT_EQ(image->scaledWidth, 0);
    EXPECT_EQ(image->palette, nullptr);
    const uint8_t* p = image->pixels;
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(p[x * 3 + 0], 2) << x;   // R came from the third stored byte
        EXPECT_EQ(p[x * 3 + 1], 1) << x;
        EXPECT_EQ(p[x * 3 + 2], x) << x;
        EXPECT_EQ(p[9 + x * 3 + 0], 4) << x;   // second row follows the first with no fill bytes
        EXPECT_EQ(p[9 + x * 3 + 2], x) << x;
    }

    // An image-size field of 0 (allowed for uncompressed files) reads the same.
    auto zeroSize = loadBmpBytes(bmpFile(3, 2, twoRows(3), true, 0));
    ASSERT_NE(zeroSize->pixels, nullptr);
    EXPECT_EQ(std::memcmp(zeroSize->pixels, image->pixels, 18), 0);

    // A writer that packed rows tightly and said so in the size field is read tightly.
    auto tight = loadBmpBytes(bmpFile(3, 2, twoRows(3), false, 18));
    ASSERT_NE(tight->pixels, nullptr);
    EXPECT_EQ(std::memcmp(tight->pixels, image->pixels, 18), 0);

    // A top-down file (negative height) comes out bottom row first like the others.
    std::vector<Bytes> rows = twoRows(3);
    auto topDown = loadBmpBytes(bmpFile(3, -2, {rows[1], rows[0]}));
    ASSERT_NE(topDown->pixels, nullptr);
    EXPECT_EQ(topDown->height, 2);
    EXPECT_EQ(std::memcmp(topDown->pixels, image->pixels, 18), 0);
}

TEST(BmpDecoder, AlphaIsZeroOnlyForPureBlack) {
    Bytes row = {0, 0, 0, 1, 0, 0, 0, 0, 1, 9, 9, 9};   // B, G, R: black, blue 1, red 1, grey
    auto image = loadBmpBytes(bmpFile(4, 1, {row}), "alpha.BMP", true);
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->bytesPerPixel, 4);
    EXPECT_EQ(image->format, IMAGE_BMP);
    const uint8_t expected[16] = {0, 0, 0, 0, 0, 0, 1, 255, 1, 0, 0, 255, 9, 9, 9, 255};
    EXPECT_EQ(std::memcmp(image->pixels, expected, 16), 0);
}

TEST(BmpDecoder, RejectsWhatItCannotReadWithoutPixels) {
    Bytes good = bmpFile(3, 2, twoRows(3));
    Bytes wrongMagic = good;
    wrongMagic[0] = 'X';
    EXPECT_EQ(loadBmpBytes(wrongMagic)->pixels, nullptr);
    EXPECT_EQ(loadBmpBytes(Bytes(good.begin(), good.begin() + 30))->pixels, nullptr);   // header cut
    EXPECT_EQ(loadBmpBytes(Bytes(good.begin(), good.end() - 8))->pixels, nullptr);      // data cut
    EXPECT_EQ(loadBmpBytes(bmpFile(3, 2, twoRows(3), true, -1, 32))->pixels, nullptr);  // 32 bits
    EXPECT_EQ(loadBmpBytes(bmpFile(3, 2, twoRows(3), true, -1, 24, 1))->pixels, nullptr);  // RLE
    EXPECT_EQ(loadBmpBytes(bmpFile(0, 2, {}))->pixels, nullptr);
    // A header claiming 60000 x 60000 pixels over a few bytes allocates nothing and fails.
    EXPECT_EQ(loadBmpBytes(bmpFile(60000, 60000, twoRows(3)))->pixels, nullptr);
    EXPECT_EQ(loadBmpBytes(bmpFile(0x7fffffff, -0x7fffffff, twoRows(3)))->pixels, nullptr);
    // A pixel offset past the end of the file.
    Bytes farOffset = good;
    farOffset[10] = 0xff;
    farOffset[11] = 0xff;
    EXPECT_EQ(loadBmpBytes(farOffset)->pixels, nullptr);
    EXPECT_EQ(loadBmpBytes(Bytes{})->pixels, nullptr);
    BmpInfoHeader info;
    EXPECT_EQ(readBmp((dir + "/missing.bmp").c_str(), info), nullptr);
}

TEST(BmpDecoder, ReadsImageMagickFilesOfOddWidth) {
    const int width = 5, height = 3;
    Bytes rgb = patternTopFirst(width, height);
    writeBytes(dir + "/pattern.ppm", ppmFile(width, height, rgb));
    // BMP3 has the 40-byte header; the default writes a longer one, which the pixel offset skips.
    ASSERT_TRUE(runConvert(dir + "/pattern.ppm -type truecolor BMP3:" + dir + "/magick3.bmp"));
    ASSERT_TRUE(runConvert(dir + "/pattern.ppm -type truecolor " + dir + "/magick5.bmp"));
    for (const char* name : {"/magick3.bmp", "/magick5.bmp"}) {
        Image image;
        image.load((dir + name).c_str());
        ASSERT_NE(image.pixels, nullptr) << name;
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, height);
        for (int row = 0; row < height; ++row) {
            // Row 0 of the result is the picture's bottom row.
            const uint8_t* expected = rgb.data() + (height - 1 - row) * width * 3;
            EXPECT_EQ(std::memcmp(image.pixels + row * width * 3, expected, width * 3), 0) << name << " row " << row;
        }
    }
}

TEST(BmpDecoder, StreamAndPathGiveTheSamePixels) {
    Bytes bytes = bmpFile(3, 2, twoRows(3));
    FILE* memory = fmemopen(bytes.data(), bytes.size(), "rb");
    ASSERT_NE(memory, nullptr);
    BmpInfoHeader info;
    std::unique_ptr<uint8_t[]> fromMemory(readBmp(memory, info));
    std::fclose(memory);
    ASSERT_NE(fromMemory, nullptr);
    EXPECT_EQ(info.width, 3);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.bitCount, 24);
    auto fromFile = loadBmpBytes(bytes);
    ASSERT_NE(fromFile->pixels, nullptr);
    EXPECT_EQ(std::memcmp(fromMemory.get(), fromFile->pixels, 18), 0);
}
