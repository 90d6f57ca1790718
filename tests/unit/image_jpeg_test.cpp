// The JPEG decoder: rows turned bottom first, components, and corrupt files that must not end the process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "image/image.h"
#include "unit/image_test_files.h"

namespace {
std::string dir = scratchDirectory();

// 8 x 16 RGB, rows in blocks of 8 (one JPEG block each): top block red, bottom block blue.
Bytes twoBlocksTopFirst() {
    Bytes rgb;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) {
            bool top = y < 8;
            rgb.insert(rgb.end(), {static_cast<uint8_t>(top ? 230 : 20), 30, static_cast<uint8_t>(top ? 20 : 220)});
        }
    return rgb;
}

std::unique_ptr<Image> loadJpegBytes(const Bytes& bytes, const char* name = "picture.jpg") {
    std::string path = dir + "/" + name;
    writeBytes(path, bytes);
    auto image = std::make_unique<Image>();
    image->load(path.c_str());
    return image;
}
}  // namespace

TEST(JpegDecoder, TurnsRowsBottomFirstAndKeepsComponents) {
    auto image = loadJpegBytes(jpegFile(8, 16, 3, twoBlocksTopFirst()));
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->format, IMAGE_JPEG);
    EXPECT_EQ(image->width, 8);
    EXPECT_EQ(image->height, 16);
    EXPECT_EQ(image->bytesPerPixel, 3);
    EXPECT_EQ(image->scaledWidth, 0);
    // Row 0 is the file's last (blue) row, row 15 its first (red) row.
    EXPECT_NEAR(image->pixels[0], 20, 6);
    EXPECT_NEAR(image->pixels[2], 220, 6);
    const uint8_t* top = image->pixels + 15 * 8 * 3;
    EXPECT_NEAR(top[0], 230, 6);
    EXPECT_NEAR(top[2], 20, 6);

    Bytes grey(8 * 8);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = i < 32 ? 200 : 40;   // top half light
    auto greyImage = loadJpegBytes(jpegFile(8, 8, 1, grey), "grey.jpg");
    ASSERT_NE(greyImage->pixels, nullptr);
    EXPECT_EQ(greyImage->bytesPerPixel, 1);
    EXPECT_NEAR(greyImage->pixels[0], 40, 8);
    EXPECT_NEAR(greyImage->pixels[63], 200, 8);

    std::unique_ptr<JpegPixels> raw(readJpeg((dir + "/picture.jpg").c_str()));
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->rowBytes, 24);
    EXPECT_EQ(raw->components, 3);
    EXPECT_EQ(readJpeg((dir + "/missing.jpg").c_str()), nullptr);
}

TEST(JpegDecoder, CorruptFilesGiveNoPixelsAndTheProcessGoesOn) {
    Bytes good = jpegFile(8, 16, 3, twoBlocksTopFirst());
    // Not a JPEG at all, the header cut short, an empty file: libjpeg's fatal errors come back here.
    EXPECT_EQ(loadJpegBytes(Bytes{'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'})->pixels, nullptr);
    EXPECT_EQ(loadJpegBytes(Bytes(good.begin(), good.begin() + 40))->pixels, nullptr);
    EXPECT_EQ(loadJpegBytes(Bytes{})->pixels, nullptr);
    // A frame header claiming 65000 x 65000 pixels: refused, nothing of that size allocated.
    Bytes huge = good;
    for (size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0xFD;
            huge[i + 6] = huge[i + 8] = 0xE8;
            break;
        }
    EXPECT_EQ(loadJpegBytes(huge)->pixels, nullptr);
    // Damaged entropy data is patched over by libjpeg with a warning: a picture still comes out.
    Bytes damaged = good;
    size_t scanStart = 0;
    for (size_t i = 0; i + 1 < good.size(); ++i)
        if (good[i] == 0xFF && good[i + 1] == 0xDA) scanStart = i + 2 + ((good[i + 2] << 8) | good[i + 3]);
    ASSERT_GT(scanStart, 0u);
    for (size_t i = scanStart + 4; i < good.size() - 2; ++i) damaged[i] = 0x5A;
    auto patched = loadJpegBytes(damaged);
    EXPECT_EQ(patched->width, 8);
    EXPECT_NE(patched->pixels, nullptr);
}

TEST(JpegDecoder, ReadsImageMagickFiles) {
    const int width = 16, height = 16;
    Bytes rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) rgb.insert(rgb.end(), {static_cast<uint8_t>(y * 15), 128, static_cast<uint8_t>(x * 15)});
    writeBytes(dir + "/ramp.ppm", ppmFile(width, height, rgb));
    ASSERT_TRUE(runConvert(dir + "/ramp.ppm -quality 100 -sampling-factor 1x1 " + dir + "/magick.jpg"));
    Image image;
    image.load((dir + "/magick.jpg").c_str());
    ASSERT_NE(image.pixels, nullptr);
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = image.pixels + (row * width + x) * 3;
            EXPECT_NEAR(p[0], (height - 1 - row) * 15, 4) << row << "," << x;   // bottom row first
            EXPECT_NEAR(p[2], x * 15, 4) << row << "," << x;
        }
}
