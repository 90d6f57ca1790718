// The TGA image decoder: channel order, file row order, alpha, and the headers it refuses.
#include <gtest/gtest.h>

#include <memory>

#include "image/image.h"
#include "unit/image_test_files.h"

namespace {
std::string dir = scratchDirectory();

std::unique_ptr<Image> loadTgaBytes(const Bytes& bytes, bool alpha = false) {
    std::string path = dir + "/picture.tga";
    writeBytes(path, bytes);
    auto image = std::make_unique<Image>();
    if (alpha) image->loadWithAlpha(path.c_str());
    else image->load(path.c_str());
    return image;
}
}  // namespace

TEST(TgaDecoder, SwapsBlueAndRedAndKeepsFileRowOrder) {
    Bytes stored = {10, 20, 30, 1, 2, 3,       // first stored row
                    40, 50, 60, 4, 5, 6};      // second stored row
    auto image = loadTgaBytes(tgaFile(2, 2, 24, stored));
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->format, IMAGE_TGA);
    EXPECT_EQ(image->tgaType, 2);
    EXPECT_EQ(image->bytesPerPixel, 3);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->scaledWidth, 0);
    const uint8_t expected[12] = {30, 20, 10, 3, 2, 1, 60, 50, 40, 6, 5, 4};
    EXPECT_EQ(std::memcmp(image->pixels, expected, 12), 0);

    Bytes withAlpha = {10, 20, 30, 77, 1, 2, 3, 0};
    auto rgba = loadTgaBytes(tgaFile(2, 1, 32, withAlpha), true);
    ASSERT_NE(rgba->pixels, nullptr);
    EXPECT_EQ(rgba->bytesPerPixel, 4);
    const uint8_t expectedRgba[8] = {30, 20, 10, 77, 3, 2, 1, 0};
    EXPECT_EQ(std::memcmp(rgba->pixels, expectedRgba, 8), 0);
}

TEST(TgaDecoder, RejectsOtherHeadersAndShortOrOversizedData) {
    Bytes pixels(12, 7);
    EXPECT_EQ(loadTgaBytes(tgaFile(2, 2, 24, pixels, 2, 3))->pixels, nullptr);      // identification field
    EXPECT_EQ(loadTgaBytes(tgaFile(2, 2, 24, pixels, 2, 0, 1))->pixels, nullptr);   // colour map
    EXPECT_EQ(loadTgaBytes(tgaFile(2, 2, 24, pixels, 10))->pixels, nullptr);        // run-length coded
    EXPECT_EQ(loadTgaBytes(tgaFile(2, 2, 24, pixels, 3))->pixels, nullptr);         // greyscale
    EXPECT_EQ(loadTgaBytes(tgaFile(2, 2, 16, pixels))->pixels, nullptr);
    EXPECT_EQ(loadTgaBytes(tgaFile(0, 2, 24, pixels))->pixels, nullptr);
    EXPECT_EQ(loadTgaBytes(Bytes{0, 0, 2, 0})->pixels, nullptr);                     // header cut

    // A short read fails, but the header's size has reached the image already.
    auto shortData = loadTgaBytes(tgaFile(3, 5, 24, pixels));
    EXPECT_EQ(shortData->pixels, nullptr);
    EXPECT_EQ(shortData->width, 3);
    EXPECT_EQ(shortData->height, 5);

    // 65535 x 65535 x 4 claimed over 12 bytes: refused before allocating.
    auto huge = loadTgaBytes(tgaFile(65535, 65535, 32, pixels));
    EXPECT_EQ(huge->pixels, nullptr);
    EXPECT_EQ(huge->width, 65535);
}

TEST(TgaDecoder, ReadsImageMagickFiles) {
    const int width = 5, height = 3;
    Bytes rgb = patternTopFirst(width, height);
    writeBytes(dir + "/pattern.ppm", ppmFile(width, height, rgb));
    ASSERT_TRUE(runConvert(dir + "/pattern.ppm -compress none -type truecolor " + dir + "/magick.tga"));
    Image image;
    image.load((dir + "/magick.tga").c_str());
    ASSERT_NE(image.pixels, nullptr);
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    ASSERT_EQ(image.bytesPerPixel, 3);
    // Rows come out in the file's order, whatever its descriptor says; the file's own bytes (after the
    // 18-byte header) are the reference, with B and R swapped, and every row is one of the picture's.
    Bytes file = readBytes(dir + "/magick.tga");
    ASSERT_EQ(file.size(), 18u + width * height * 3);
    for (int i = 0; i < width * height; ++i) {
        EXPECT_EQ(image.pixels[i * 3 + 0], file[18 + i * 3 + 2]) << i;
        EXPECT_EQ(image.pixels[i * 3 + 1], file[18 + i * 3 + 1]) << i;
        EXPECT_EQ(image.pixels[i * 3 + 2], file[18 + i * 3 + 0]) << i;
    }
    for (int row = 0; row < height; ++row) {
        int green = image.pixels[row * width * 3 + 1];
        int y = (green - 5) / 50;
        ASSERT_TRUE(y >= 0 && y < height) << row;
        EXPECT_EQ(std::memcmp(image.pixels + row * width * 3, rgb.data() + y * width * 3, width * 3), 0) << row;
    }
}
