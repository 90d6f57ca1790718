// The PCX decoder: palette lookup, top-row-first order, power-of-two scaling and run-length bounds.
#include <gtest/gtest.h>

#include <memory>

#include "image/image.h"
#include "unit/image_test_files.h"

namespace {
std::string dir = scratchDirectory();

std::unique_ptr<Image> loadPcxBytes(const Bytes& bytes) {
    std::string path = dir + "/picture.pcx";
    writeBytes(path, bytes);
    auto image = std::make_unique<Image>();
    image->load(path.c_str());
    return image;
}

Bytes indicesOf(int width, int height) {
    Bytes indices;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) indices.push_back(static_cast<uint8_t>((x * 7 + y * 13) & 0xff));
    return indices;
}
}  // namespace

TEST(PcxDecoder, LooksUpThePaletteAndKeepsPowerOfTwoSizes) {
    Bytes indices = indicesOf(4, 2);
    auto image = loadPcxBytes(pcxFile(4, 2, pcxLiterals(indices), rampPalette()));
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->format, IMAGE_PCX);
    EXPECT_EQ(image->width, 4);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->scaledWidth, 4);   // already powers of two: not resized
    EXPECT_EQ(image->scaledHeight, 2);
    EXPECT_EQ(image->bytesPerPixel, 4);
    ASSERT_NE(image->palette, nullptr);
    EXPECT_EQ(std::memcmp(image->palette, rampPalette().data(), 768), 0);
    for (size_t i = 0; i < indices.size(); ++i) {
        const uint8_t* p = image->pixels + i * 4;
        EXPECT_EQ(p[0], indices[i]) << i;
        EXPECT_EQ(p[1], 255 - indices[i]) << i;
        EXPECT_EQ(p[2], indices[i] / 2) << i;
        EXPECT_EQ(p[3], 255) << i;
    }
}

TEST(PcxDecoder, ScalesDownToThePowerOfTwoBelow) {
    // 200 x 100, left half index 10 and right half index 200: 128 x 64 with the halves kept apart.
    Bytes indices;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) indices.push_back(x < 100 ? 10 : 200);
    auto image = loadPcxBytes(pcxFile(200, 100, pcxLiterals(indices), rampPalette()));
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->width, 200);
    EXPECT_EQ(image->height, 100);
    EXPECT_EQ(image->scaledWidth, 128);
    EXPECT_EQ(image->scaledHeight, 64);
    EXPECT_EQ(image->pixelWidth(), 128);
    EXPECT_EQ(image->pixelHeight(), 64);
    const uint8_t* firstRow = image->pixels;
    EXPECT_EQ(firstRow[0], 10);
    EXPECT_EQ(firstRow[1], 245);
    EXPECT_EQ(firstRow[63 * 4], 10);        // last target column wholly on the left half
    EXPECT_EQ(firstRow[64 * 4], 200);       // first wholly on the right half
    EXPECT_EQ(firstRow[127 * 4 + 3], 255);
    const uint8_t* lastRow = image->pixels + 63 * 128 * 4;
    EXPECT_EQ(lastRow[127 * 4], 200);

    EXPECT_EQ(floorPowerOfTwo(1), 1);
    EXPECT_EQ(floorPowerOfTwo(255), 128);
    EXPECT_EQ(floorPowerOfTwo(256), 256);
    EXPECT_EQ(floorPowerOfTwo(65536), 65536);
}

TEST(PcxDecoder, BoundsRunsAndRejectsDamagedFiles) {
    // A run byte 0xC0 (length 0) eats its value byte and produces nothing.
    auto emptyRun = loadPcxBytes(pcxFile(2, 1, Bytes{0xC0, 99, 5, 6}, rampPalette()));
    ASSERT_NE(emptyRun->pixels, nullptr);
    EXPECT_EQ(emptyRun->pixels[0], 5);
    EXPECT_EQ(emptyRun->pixels[4], 6);

    // A run of 5 into a 3-pixel image is cut at the buffer's end; the palette is still found.
    auto overshoot = loadPcxBytes(pcxFile(3, 1, Bytes{0xC5, 7}, rampPalette()));
    ASSERT_NE(overshoot->pixels, nullptr);
    EXPECT_EQ(overshoot->scaledWidth, 2);
    EXPECT_EQ(overshoot->pixels[0], 7);
    EXPECT_EQ(overshoot->pixels[4], 7);

    Bytes good = pcxFile(2, 1, Bytes{5, 6}, rampPalette());
    Bytes badMagic = good;
    badMagic[1] = 3;
    EXPECT_EQ(loadPcxBytes(badMagic)->pixels, nullptr);
    Bytes badMarker = good;
    badMarker[good.size() - 769] = 11;
    EXPECT_EQ(loadPcxBytes(badMarker)->pixels, nullptr);
    EXPECT_EQ(loadPcxBytes(Bytes(good.begin(), good.begin() + 200))->pixels, nullptr);
    // Run data that ends before the picture is full: the palette block is all that is left and it is
    // not enough, so the reader runs into the end of the file and fails.
    EXPECT_EQ(loadPcxBytes(pcxFile(20000, 1, Bytes{5}, rampPalette()))->pixels, nullptr);
    // A window of 65536 x 65536 over a few bytes is refused before allocating.
    Bytes hugeWindow = pcxFile(2, 1, Bytes{5, 6}, rampPalette());
    hugeWindow[8] = hugeWindow[9] = hugeWindow[10] = hugeWindow[11] = 0xff;
    EXPECT_EQ(loadPcxBytes(hugeWindow)->pixels, nullptr);
    // xmax below xmin.
    Bytes inverted = good;
    inverted[4] = 9;
    EXPECT_EQ(loadPcxBytes(inverted)->pixels, nullptr);
}

TEST(PcxDecoder, ReadsImageMagickPaletteFiles) {
    const int width = 6, height = 4;   // even width: ImageMagick pads odd rows to an even byte count
    Bytes rgb = patternTopFirst(width, height);
    writeBytes(dir + "/pattern.ppm", ppmFile(width, height, rgb));
    ASSERT_TRUE(runConvert(dir + "/pattern.ppm -type palette " + dir + "/magick.pcx"));
    Image image;
    image.load((dir + "/magick.pcx").c_str());
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    ASSERT_EQ(image.scaledWidth, 4);
    ASSERT_EQ(image.scaledHeight, 4);
    // Rows stay top row first; the four rows keep their own green (50 y + 5) after the horizontal shrink.
    for (int y = 0; y < 4; ++y) EXPECT_NEAR(image.pixels[y * 4 * 4 + 1], 50 * y + 5, 1) << y;
}
