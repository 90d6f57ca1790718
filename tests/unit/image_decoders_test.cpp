// The four image decoders and the dispatch by file name: channel and row order, alpha, PCX scaling,
// the damaged files each decoder refuses, and real files written by ImageMagick.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "image/image.h"
#include "image/texture.h"
#include "unit/image_test_files.h"

namespace {
const std::string dir = scratchDirectory();

std::unique_ptr<Image> decode(const Bytes& bytes, const std::string& name, bool alpha = false) {
    const std::string path = dir + "/" + name;
    writeBytes(path, bytes);
    auto image = std::make_unique<Image>();
    alpha ? image->loadWithAlpha(path.c_str()) : image->load(path.c_str());
    return image;
}

void expectPixels(const Image& image, const Bytes& expected) {
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(Bytes(image.pixels, image.pixels + expected.size()), expected);
}

// Rows in file order of a 3 x 2 BMP: bottom row pixel x = (B x, G 1, R 2), top row (B x, G 3, R 4).
const std::vector<Bytes> bmpRows = {{0, 1, 2, 1, 1, 2, 2, 1, 2}, {0, 3, 4, 1, 3, 4, 2, 3, 4}};
const Bytes bmpRgb = {2, 1, 0, 2, 1, 1, 2, 1, 2, 4, 3, 0, 4, 3, 1, 4, 3, 2};   // bottom row first, no padding

// 8 x 16 RGB top row first: the top 8 rows red, the bottom 8 blue (one JPEG block each).
Bytes redOverBlue() {
    Bytes rgb;
    for (int i = 0; i < 8 * 16; ++i)
        rgb.insert(rgb.end(), {uint8_t(i < 64 ? 230 : 20), 30, uint8_t(i < 64 ? 20 : 220)});
    return rgb;
}
}  // namespace

TEST(ImageDecoders, ChannelOrderRowOrderAndAlpha) {
    // TGA: B, G, R stored, R, G, B out, rows in file order even when the descriptor says top-left origin.
    Bytes tga = tgaFile(2, 2, 24, {10, 20, 30, 1, 2, 3, 40, 50, 60, 4, 5, 6});
    tga[17] = 0x20;
    auto image = decode(tga, "a.tga");
    expectPixels(*image, {30, 20, 10, 3, 2, 1, 60, 50, 40, 6, 5, 4});
    EXPECT_EQ(image->format, IMAGE_TGA);
    EXPECT_EQ(image->bytesPerPixel, 3);
    image = decode(tgaFile(2, 1, 32, {10, 20, 30, 77, 1, 2, 3, 0}), "b.tga", true);
    expectPixels(*image, {30, 20, 10, 77, 3, 2, 1, 0});
    EXPECT_EQ(image->bytesPerPixel, 4);

    // BMP: R, G, B bottom row first without the row padding, whatever the size field or row direction says.
    for (const Bytes& file : {bmpFile(3, 2, bmpRows), bmpFile(3, 2, bmpRows, true, 0),
                              bmpFile(3, 2, bmpRows, false, 18),
                              bmpFile(3, -2, {bmpRows[1], bmpRows[0]})}) {
        image = decode(file, "c.bmp");
        expectPixels(*image, bmpRgb);
        EXPECT_EQ(image->height, 2);
        EXPECT_EQ(image->format, IMAGE_BMP);
    }
    // With alpha, only pure black is transparent.
    image = decode(bmpFile(4, 1, {{0, 0, 0, 1, 0, 0, 0, 0, 1, 9, 9, 9}}), "d.BMP", true);
    expectPixels(*image, {0, 0, 0, 0, 0, 0, 1, 255, 1, 0, 0, 255, 9, 9, 9, 255});

    // PCX: palette entries as opaque RGBA, top row first; power-of-two sizes are kept.
    const Bytes indices = {0, 7, 14, 200, 13, 20, 255, 34};
    image = decode(pcxFile(4, 2, pcxLiterals(indices), rampPalette()), "e.pcx");
    Bytes rgba;
    for (uint8_t i : indices) rgba.insert(rgba.end(), {i, uint8_t(255 - i), uint8_t(i / 2), 255});
    expectPixels(*image, rgba);
    EXPECT_EQ(image->format, IMAGE_PCX);
    EXPECT_EQ(image->scaledWidth, 4);
    EXPECT_EQ(image->scaledHeight, 2);
    ASSERT_NE(image->palette, nullptr);
    EXPECT_EQ(Bytes(image->palette, image->palette + 768), rampPalette());

    // JPEG: bottom row first; greyscale keeps one component.
    image = decode(jpegFile(8, 16, 3, redOverBlue()), "f.jpg");
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->format, IMAGE_JPEG);
    EXPECT_EQ(image->bytesPerPixel, 3);
    EXPECT_NEAR(image->pixels[0], 20, 6);
    EXPECT_NEAR(image->pixels[2], 220, 6);
    EXPECT_NEAR(image->pixels[15 * 8 * 3], 230, 6);
    EXPECT_NEAR(image->pixels[15 * 8 * 3 + 2], 20, 6);
    Bytes grey(64, 40);
    std::fill(grey.begin(), grey.begin() + 32, 200);   // top half light
    image = decode(jpegFile(8, 8, 1, grey), "g.jpg");
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->bytesPerPixel, 1);
    EXPECT_NEAR(image->pixels[0], 40, 8);
    EXPECT_NEAR(image->pixels[63], 200, 8);
}

TEST(ImageDecoders, PcxShrinksToThePowerOfTwoBelowAndBoundsItsRuns) {
    // 200 x 100, left half index 10 and right half index 200: 128 x 64 with the halves kept apart.
    Bytes indices;
    for (int i = 0; i < 200 * 100; ++i) indices.push_back(i % 200 < 100 ? 10 : 200);
    auto image = decode(pcxFile(200, 100, pcxLiterals(indices), rampPalette()), "a.pcx");
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->width, 200);
    EXPECT_EQ(image->pixelWidth(), 128);
    EXPECT_EQ(image->pixelHeight(), 64);
    EXPECT_EQ(image->pixels[63 * 4], 10);    // last target column wholly on the left half
    EXPECT_EQ(image->pixels[64 * 4], 200);   // first wholly on the right half
    EXPECT_EQ(image->pixels[(64 * 128 - 1) * 4], 200);
    EXPECT_EQ(floorPowerOfTwo(255), 128);
    EXPECT_EQ(floorPowerOfTwo(256), 256);

    // A run byte 0xC0 (length 0) eats its value byte and produces nothing.
    image = decode(pcxFile(2, 1, {0xC0, 99, 5, 6}, rampPalette()), "b.pcx");
    expectPixels(*image, {5, 250, 2, 255, 6, 249, 3, 255});
    // A run of 5 into a 3-pixel image is cut at the buffer's end; the palette is still found.
    image = decode(pcxFile(3, 1, {0xC5, 7}, rampPalette()), "c.pcx");
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->scaledWidth, 2);
    EXPECT_EQ(image->pixels[4], 7);
}

TEST(ImageDecoders, DamagedFilesGiveNoPixels) {
    struct Case {
        const char* what;
        const char* name;
        Bytes bytes;
    };
    std::vector<Case> cases;
    const Bytes bmp = bmpFile(3, 2, bmpRows);
    Bytes far = bmp;
    far[10] = far[11] = 0xff;   // pixel offset past the end
    cases.push_back({"wrong magic", "a.bmp", bmp});
    cases.back().bytes[0] = 'X';
    cases.push_back({"header cut", "a.bmp", Bytes(bmp.begin(), bmp.begin() + 30)});
    cases.push_back({"data cut", "a.bmp", Bytes(bmp.begin(), bmp.end() - 8)});
    cases.push_back({"32 bits", "a.bmp", bmpFile(3, 2, bmpRows, true, -1, 32)});
    cases.push_back({"run-length", "a.bmp", bmpFile(3, 2, bmpRows, true, -1, 24, 1)});
    cases.push_back({"width 0", "a.bmp", bmpFile(0, 2, {})});
    cases.push_back({"60000 square", "a.bmp", bmpFile(60000, 60000, bmpRows)});
    cases.push_back({"largest sizes", "a.bmp", bmpFile(0x7fffffff, -0x7fffffff, bmpRows)});
    cases.push_back({"far offset", "a.bmp", far});
    cases.push_back({"empty", "a.bmp", {}});

    const Bytes pcx = pcxFile(2, 1, {5, 6}, rampPalette());
    cases.push_back({"version 3", "a.pcx", pcx});
    cases.back().bytes[1] = 3;
    cases.push_back({"no palette marker", "a.pcx", pcx});
    cases.back().bytes[pcx.size() - 769] = 11;
    cases.push_back({"cut", "a.pcx", Bytes(pcx.begin(), pcx.begin() + 200)});
    // Runs that end early: the palette block is read as runs and the file ends before the picture is full.
    cases.push_back({"runs end early", "a.pcx", pcxFile(20000, 1, {5}, rampPalette())});
    cases.push_back({"65536 square window", "a.pcx", pcx});
    std::fill(cases.back().bytes.begin() + 8, cases.back().bytes.begin() + 12, 0xff);
    cases.push_back({"xmax below xmin", "a.pcx", pcx});
    cases.back().bytes[4] = 9;

    const Bytes rgb(12, 7);
    cases.push_back({"identification field", "a.tga", tgaFile(2, 2, 24, rgb, 2, 3)});
    cases.push_back({"colour map", "a.tga", tgaFile(2, 2, 24, rgb, 2, 0, 1)});
    cases.push_back({"run-length", "a.tga", tgaFile(2, 2, 24, rgb, 10)});
    cases.push_back({"greyscale", "a.tga", tgaFile(2, 2, 24, rgb, 3)});
    cases.push_back({"16 bits", "a.tga", tgaFile(2, 2, 16, rgb)});
    cases.push_back({"width 0", "a.tga", tgaFile(0, 2, 24, rgb)});
    cases.push_back({"header cut", "a.tga", {0, 0, 2, 0}});
    cases.push_back({"65535 square", "a.tga", tgaFile(65535, 65535, 32, rgb)});

    const Bytes jpeg = jpegFile(8, 16, 3, redOverBlue());
    Bytes huge = jpeg;   // the frame header claims 65000 x 65000
    for (size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0xFD;
            huge[i + 6] = huge[i + 8] = 0xE8;
            break;
        }
    cases.push_back({"not a JPEG", "a.jpg", {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}});
    cases.push_back({"header cut", "a.jpg", Bytes(jpeg.begin(), jpeg.begin() + 40)});
    cases.push_back({"empty", "a.jpg", {}});
    cases.push_back({"65000 square", "a.jpg", huge});
    for (const Case& c : cases) EXPECT_EQ(decode(c.bytes, c.name)->pixels, nullptr) << c.name << ": " << c.what;

    // A short TGA read fails, but the header's size has reached the image already.
    auto shortTga = decode(tgaFile(3, 5, 24, rgb), "b.tga");
    EXPECT_EQ(shortTga->pixels, nullptr);
    EXPECT_EQ(shortTga->width, 3);
    EXPECT_EQ(shortTga->height, 5);

    // Damaged JPEG entropy data is patched over by libjpeg with a warning: a picture still comes out.
    size_t scan = 0;
    for (size_t i = 0; i + 3 < jpeg.size() && scan == 0; ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) scan = i + 2 + ((jpeg[i + 2] << 8) | jpeg[i + 3]);
    ASSERT_GT(scan, 0u);
    Bytes damaged = jpeg;
    std::fill(damaged.begin() + scan + 4, damaged.end() - 2, 0x5A);
    EXPECT_NE(decode(damaged, "b.jpg")->pixels, nullptr);
}

TEST(ImageDecoders, ReadImageMagickFiles) {
    // 5 x 3 with distinct rows and columns: pixel (x, y from the top) is (40 x + 10, 50 y + 5, 200 - 30 x).
    Bytes ppm = {'P', '6', ' ', '5', ' ', '3', ' ', '2', '5', '5', '\n'}, rgb;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            rgb.insert(rgb.end(), {uint8_t(40 * x + 10), uint8_t(50 * y + 5), uint8_t(200 - 30 * x)});
    ppm.insert(ppm.end(), rgb.begin(), rgb.end());
    writeBytes(dir + "/pattern.ppm", ppm);
    // BMP3 has the 40-byte header; the default BMP writes a longer one, which the pixel offset skips.
    const struct {
        const char* options;
        const char* file;
        int tolerance;
    } outputs[] = {{"-type truecolor BMP3:", "m3.bmp", 0}, {"-type truecolor ", "m5.bmp", 0},
                   {"-quality 100 -sampling-factor 1x1 ", "m.jpg", 4}};
    for (const auto& out : outputs) {
        const std::string target = dir + "/" + out.file;
        const std::string command = "convert " + dir + "/pattern.ppm " + out.options + target + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        Image image;
        image.load(target.c_str());
        ASSERT_NE(image.pixels, nullptr) << out.file;
        ASSERT_EQ(image.width * image.height * image.bytesPerPixel, 45) << out.file;
        for (int i = 0; i < 45; ++i)   // row 0 of the result is the picture's bottom row
            EXPECT_NEAR(image.pixels[i], rgb[(2 - i / 15) * 15 + i % 15], out.tolerance) << out.file << " byte " << i;
    }
}

TEST(ImageDispatch, ExtensionAfterTheFirstDotInAnyCaseChoosesTheDecoder) {
    ASSERT_EQ(mkdir((dir + "/sub.dir").c_str(), 0755), 0);
    const Bytes tga = tgaFile(2, 2, 24, Bytes(12, 9)), jpeg = jpegFile(8, 8, 3, Bytes(8 * 8 * 3, 100));
    const struct {
        const char* name;
        bool jpegBytes, alpha, loads;
    } cases[] = {{"a.tga", false, false, true}, {"b.TGA", false, false, true}, {"c.Tga", false, true, true},
                 {"d.JPG", true, false, true}, {"e.Jpg", true, false, true}, {"f.jpg", true, false, true},
                 {"g.jpeg", true, false, false}, {"h.png", false, false, false}, {"noextension", false, false, false},
                 {"i.old.tga", false, false, false}, {"sub.dir/j.tga", false, false, true},
                 {"f.jpg", true, true, false}};   // a JPEG is not an alpha format
    for (const auto& c : cases)
        EXPECT_EQ(decode(c.jpegBytes ? jpeg : tga, c.name, c.alpha)->pixels != nullptr, c.loads) << c.name << c.alpha;
    // Windows separators in a path are directory separators.
    std::string windowsPath = dir + "/a.tga";
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    Image image;
    image.load(windowsPath.c_str());
    EXPECT_NE(image.pixels, nullptr);

    // Reloading replaces the pixels and their layout; a failed load clears them.
    writeBytes(dir + "/black.bmp", bmpFile(1, 1, {{0, 0, 0}}));
    image.loadWithAlpha((dir + "/black.bmp").c_str());
    EXPECT_EQ(image.format, IMAGE_BMP);
    EXPECT_EQ(image.bytesPerPixel, 4);
    image.load((dir + "/missing.bmp").c_str());
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.bytesPerPixel, 0);
}

TEST(TextureSize, PowersOfTwoUpTo1024AndSoftwareRasterisersByName) {
    for (int side = 1; side <= 1024; side *= 2) EXPECT_TRUE(isTextureSize(side)) << side;
    for (int side : {0, -1, -2, 3, 100, 1023, 1025, 2048, 65536}) EXPECT_FALSE(isTextureSize(side)) << side;
    const char* software[] = {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Software Rasterizer (swrast)"};
    for (const char* name : software) EXPECT_TRUE(softwareRasterizer(name)) << name;
    const char* hardware[] = {"AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)", "Mesa Intel(R) UHD Graphics 620", nullptr};
    for (const char* name : hardware) EXPECT_FALSE(softwareRasterizer(name)) << (name ? name : "null");
}
