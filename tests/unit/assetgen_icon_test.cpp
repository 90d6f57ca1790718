// The application icon: square RGBA at every size of the icon theme, a rounded square on a transparent
// ground, the bright "ORX" letters standing out of the dark space even at 16 pixels, and the files of
// the build the same pictures, read back through the PNG reader the window uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/image_writers.h"
#include "image/png_file.h"
#include "images/images.h"

namespace {
float luminance(const uint8_t* p) { return 0.2126f * p[0] + 0.7152f * p[1] + 0.0722f * p[2]; }
}  // namespace

TEST(Icon, EverySizeIsARoundedSquareWithBrightLettersOnDarkSpace) {
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    ASSERT_NE(build, nullptr);
    int previous = 0;
    for (int size : iconSizes) {
        EXPECT_GT(size, previous) << "sizes ascend";
        previous = size;
        Picture icon;
        ASSERT_TRUE(makeIcon(size, icon)) << size;
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.height, size);
        ASSERT_EQ(icon.channels, 4);
        // Corners transparent, the middle of every edge and the centre opaque.
        for (auto [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}})
            EXPECT_EQ(icon.at(x, y)[3], 0) << size << " corner " << x << "," << y;
        for (auto [x, y] : {std::pair{size / 2, 0}, {0, size / 2}, {size / 2, size / 2}, {size - 1, size / 2}})
            EXPECT_EQ(icon.at(x, y)[3], 255) << size << " at " << x << "," << y;

        // The letters: a band across the middle holds near-white pixels, while the background rows near
        // the top (above the letters) stay dark on average.
        float brightest = 0.0f, topSum = 0.0f;
        int lit = 0, topCount = 0;
        for (int y = size * 3 / 10; y < size * 6 / 10; ++y)
            for (int x = 0; x < size; ++x) {
                const float l = luminance(icon.at(x, y));
                brightest = std::max(brightest, l);
                lit += l > 160.0f;
            }
        for (int y = 1; y < std::max(2, size / 8); ++y)
            for (int x = size / 4; x < size * 3 / 4; ++x, ++topCount) topSum += luminance(icon.at(x, y));
        EXPECT_GT(brightest, 200.0f) << size;
        EXPECT_GE(lit, size / 2) << size << ": too few bright letter pixels";
        EXPECT_LT(topSum / topCount, 60.0f) << size << ": the space behind the letters is not dark";

        // The file the build wrote is the same picture.
        const std::string path = std::string(build) + "/icons/hicolor/" + std::to_string(size) + "x" +
                                 std::to_string(size) + "/apps/halvex.png";
        int width = 0, height = 0;
        std::vector<uint8_t> pixels;
        ASSERT_TRUE(readPngRgba(path, 256, width, height, pixels)) << path;
        EXPECT_TRUE(width == size && height == size && pixels == icon.pixels) << path;
    }
}

TEST(Icon, ThePngReaderRefusesMissingDamagedAndOversizedFiles) {
    const std::string folder = ::testing::TempDir();
    const std::string good = folder + "icon-good.png", cut = folder + "icon-cut.png";
    std::vector<uint8_t> rgba(64 * 32 * 4);
    for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(i * 7);
    ASSERT_TRUE(writePng(good, 64, 32, 4, rgba.data()));
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    ASSERT_TRUE(readPngRgba(good, 64, width, height, pixels));
    EXPECT_TRUE(width == 64 && height == 32 && pixels == rgba);
    EXPECT_FALSE(readPngRgba(good, 63, width, height, pixels)) << "wider than allowed";
    EXPECT_TRUE(pixels.empty() && width == 0 && height == 0);

    FILE* in = std::fopen(good.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    std::vector<char> bytes(4096);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
    std::fclose(in);
    for (size_t keep : {size_t{0}, size_t{8}, size_t{40}, bytes.size() / 2, bytes.size() - 20}) {
        FILE* out = std::fopen(cut.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(bytes.data(), 1, keep, out);
        std::fclose(out);
        EXPECT_FALSE(readPngRgba(cut, 256, width, height, pixels)) << "cut to " << keep << " bytes";
        EXPECT_TRUE(pixels.empty());
    }
    EXPECT_FALSE(readPngRgba(folder + "no-such-icon.png", 256, width, height, pixels));
    EXPECT_FALSE(writePng(folder + "no-such-folder/x.png", 64, 32, 4, rgba.data()));
    EXPECT_FALSE(writePng(good, 64, 32, 2, rgba.data())) << "two channels";
}
