// The four image decoders and the dispatch by file name: channel and row order, alpha, PCX scaling and
// runs, and the damaged files each decoder refuses.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
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
// The whole pixel buffer.
Bytes pixels(const std::unique_ptr<Image>& image) {
    const size_t size = static_cast<size_t>(image->pixelWidth() * image->pixelHeight() * image->bytesPerPixel);
    return image->pixels ? Bytes(image->pixels, image->pixels + size) : Bytes();
}
// Where a JPEG marker (0xFF, code) starts.
size_t marker(const Bytes& jpeg, uint8_t code) {
    const Bytes pattern = {0xFF, code};
    return static_cast<size_t>(std::search(jpeg.begin(), jpeg.end(), pattern.begin(), pattern.end()) - jpeg.begin());
}
Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes patched(Bytes bytes, size_t at, std::initializer_list<uint8_t> values) {
    std::copy(values.begin(), values.end(), bytes.begin() + static_cast<long>(at));
    return bytes;
}

// Rows in file order of a 3 x 2 BMP: bottom row pixel x = (B x, G 1, R 2), top row (B x, G 3, R 4).
const std::vector<Bytes> bmpRows = {{0, 1, 2, 1, 1, 2, 2, 1, 2}, {0, 3, 4, 1, 3, 4, 2, 3, 4}};
// 8 x 16 RGB, top row first: the top 8 rows red, the bottom 8 blue.
const Bytes redOverBlue = solid(64, {230, 30, 20}) + solid(64, {20, 30, 220});
}  // namespace

TEST(ImageDecoders, ChannelOrderRowOrderAndAlpha) {
    // TGA: R, G, B[, A] from B, G, R[, A], rows in file order even when the descriptor says top-left origin.
    auto image = decode(patched(tgaFile(2, 2, 24, {10, 20, 30, 1, 2, 3, 40, 50, 60, 4, 5, 6}), 17, {0x20}), "a.tga");
    EXPECT_EQ(pixels(image), Bytes({30, 20, 10, 3, 2, 1, 60, 50, 40, 6, 5, 4}));
    EXPECT_EQ(image->format, IMAGE_TGA);
    EXPECT_EQ(image->bytesPerPixel, 3);
    image = decode(tgaFile(2, 1, 32, {10, 20, 30, 77, 1, 2, 3, 0}), "b.tga", true);
    EXPECT_EQ(pixels(image), Bytes({30, 20, 10, 77, 3, 2, 1, 0}));
    EXPECT_EQ(image->bytesPerPixel, 4);

    // BMP: R, G, B bottom row first without the row padding, whatever the size field or row direction say.
    // A longer header (124 bytes, as ImageMagick writes) is skipped by the pixel offset.
    const Bytes bmp = bmpFile(3, 2, bmpRows);
    Bytes longHeader = patched(bmp, 10, {138, 0, 0, 0, 124});
    longHeader.insert(longHeader.begin() + 54, 84, 0x55);
    for (const Bytes& file : {bmp, patched(bmp, 34, {0}), bmpFile(3, 2, bmpRows, false),
                              bmpFile(3, -2, {bmpRows[1], bmpRows[0]}), longHeader}) {
        image = decode(file, "c.bmp");
        EXPECT_EQ(pixels(image), Bytes({2, 1, 0, 2, 1, 1, 2, 1, 2, 4, 3, 0, 4, 3, 1, 4, 3, 2}));
        EXPECT_EQ(image->height, 2);
        EXPECT_EQ(image->format, IMAGE_BMP);
    }
    // With alpha, only pure black is transparent.
    image = decode(bmpFile(4, 1, {{0, 0, 0, 1, 0, 0, 0, 0, 1, 9, 9, 9}}), "d.BMP", true);
    EXPECT_EQ(pixels(image), Bytes({0, 0, 0, 0, 0, 0, 1, 255, 1, 0, 0, 255, 9, 9, 9, 255}));

    // PCX: palette entries as opaque RGBA, top row first; power-of-two sizes are kept.
    const Bytes indices = {0, 7, 14, 190, 13, 20, 191, 34};
    image = decode(pcxFile(4, 2, indices), "e.pcx");
    Bytes rgba;
    for (uint8_t i : indices) rgba.insert(rgba.end(), {i, uint8_t(255 - i), uint8_t(i / 2), 255});
    EXPECT_EQ(pixels(image), rgba);
    EXPECT_EQ(image->format, IMAGE_PCX);
    EXPECT_EQ(image->scaledWidth, 4);
    EXPECT_EQ(image->scaledHeight, 2);
    ASSERT_NE(image->palette, nullptr);
    EXPECT_EQ(Bytes(image->palette + 600, image->palette + 603), Bytes({200, 55, 100}));   // entry 200

    // JPEG: bottom row first; greyscale keeps its one component.
    image = decode(jpegFile(8, 16, 3, redOverBlue), "f.jpg");
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(image->format, IMAGE_JPEG);
    EXPECT_EQ(image->bytesPerPixel, 3);
    for (auto [at, value] : {std::pair{0, 20}, {2, 220}, {15 * 8 * 3, 230}, {15 * 8 * 3 + 2, 20}})
        EXPECT_NEAR(image->pixels[at], value, 6) << at;
    EXPECT_EQ(decode(jpegFile(8, 8, 1, Bytes(64, 200)), "g.jpg")->bytesPerPixel, 1);   // 0 without pixels
}

TEST(ImageDecoders, PcxShrinksToThePowerOfTwoBelowAndBoundsItsRuns) {
    // 200 x 100, left half index 10 and right half index 150: 128 x 64 with the halves kept apart.
    Bytes indices;
    for (int i = 0; i < 200 * 100; ++i) indices.push_back(i % 200 < 100 ? 10 : 150);
    auto image = decode(pcxFile(200, 100, indices), "a.pcx");
    ASSERT_NE(image->pixels, nullptr);
    EXPECT_EQ(std::tuple(image->width, image->pixelWidth(), image->pixelHeight()), std::tuple(200, 128, 64));
    EXPECT_EQ(image->pixels[63 * 4], 10);    // last target column wholly on the left half
    EXPECT_EQ(image->pixels[64 * 4], 150);   // first wholly on the right half
    EXPECT_EQ(image->pixels[(64 * 128 - 1) * 4], 150);
    // A run byte 0xC0 (length 0) eats its value byte and produces nothing.
    EXPECT_EQ(pixels(decode(pcxFile(2, 1, {0xC0, 99, 5, 6}), "b.pcx")), Bytes({5, 250, 2, 255, 6, 249, 3, 255}));
    // A run of 5 into a 3-pixel image is cut at the buffer's end; the palette is still found.
    image = decode(pcxFile(3, 1, {0xC5, 7}), "c.pcx");
    EXPECT_EQ(image->scaledWidth, 2);
    EXPECT_EQ(pixels(image), Bytes({7, 248, 3, 255, 7, 248, 3, 255}));
}

TEST(ImageDecoders, DamagedFilesGiveNoPixels) {
    const Bytes bmp = bmpFile(3, 2, bmpRows), pcx = pcxFile(2, 1, {5, 6}), rgb(12, 7);
    const Bytes jpeg = jpegFile(8, 16, 3, redOverBlue);
    const Bytes progressive = jpegFile(8, 8, 1, Bytes(64, 200), true);
    const struct {
        const char* what;
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"wrong magic", "a.bmp", patched(bmp, 0, {'X'})},
        {"header cut", "a.bmp", Bytes(bmp.begin(), bmp.begin() + 30)},
        {"data cut", "a.bmp", Bytes(bmp.begin(), bmp.end() - 8)},
        {"32 bits", "a.bmp", patched(bmp, 28, {32})},
        {"run-length", "a.bmp", patched(bmp, 30, {1})},
        {"width 0", "a.bmp", bmpFile(0, 2, {})},
        {"largest sizes", "a.bmp", bmpFile(0x7fffffff, -0x7fffffff, bmpRows)},
        {"offset past the end", "a.bmp", patched(bmp, 10, {0xff, 0xff})},
        {"empty", "a.bmp", {}},
        {"version 3", "a.pcx", patched(pcx, 1, {3})},
        {"no palette marker", "a.pcx", patched(pcx, pcx.size() - 769, {11})},
        {"cut", "a.pcx", Bytes(pcx.begin(), pcx.begin() + 200)},
        // Runs that end early: the palette block is read as runs and the file ends before the picture does.
        {"runs end early", "a.pcx", pcxFile(20000, 1, {5})},
        {"65536 square window", "a.pcx", patched(pcx, 8, {0xff, 0xff, 0xff, 0xff})},
        {"xmax below xmin", "a.pcx", patched(pcx, 4, {9})},
        {"identification field", "a.tga", tgaFile(2, 2, 24, rgb, 2, 3)},
        {"run-length", "a.tga", tgaFile(2, 2, 24, rgb, 10)},
        {"16 bits", "a.tga", tgaFile(2, 2, 16, rgb)},
        {"width 0", "a.tga", tgaFile(0, 2, 24, rgb)},
        {"header cut", "a.tga", {0, 0, 2, 0}},
        {"65535 square", "a.tga", tgaFile(65535, 65535, 32, rgb)},
        {"not a JPEG", "a.jpg", {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}},
        {"header cut", "a.jpg", Bytes(jpeg.begin(), jpeg.begin() + 40)},
        {"65000 square frame", "a.jpg", patched(jpeg, marker(jpeg, 0xC0) + 5, {0xFD, 0xE8, 0xFD, 0xE8})},
        // 144 MB of grey pixels would be allowed, but libjpeg would first hold 288 MB of coefficients.
        {"progressive 12000 square frame", "a.jpg",
         patched(progressive, marker(progressive, 0xC2) + 5, {0x2E, 0xE0, 0x2E, 0xE0})}};
    for (const auto& c : cases) EXPECT_EQ(decode(c.bytes, c.name)->pixels, nullptr) << c.name << ": " << c.what;

    // A short TGA read fails, but the header's size has reached the image already.
    const auto shortTga = decode(tgaFile(3, 5, 24, rgb), "b.tga");
    EXPECT_EQ(shortTga->pixels, nullptr);
    EXPECT_EQ(std::pair(shortTga->width, shortTga->height), std::pair(3, 5));
    // Damaged JPEG entropy data is patched over by libjpeg with a warning: a picture still comes out.
    const size_t scan = marker(jpeg, 0xDA);
    ASSERT_LT(scan, jpeg.size());
    Bytes damaged = jpeg;
    std::fill(damaged.begin() + long(scan + 2 + ((jpeg[scan + 2] << 8) | jpeg[scan + 3]) + 4), damaged.end() - 2, 0x5A);
    ASSERT_NE(damaged, jpeg);
    EXPECT_NE(decode(damaged, "b.jpg")->pixels, nullptr);
}

TEST(ImageDispatch, ExtensionAfterTheFirstDotOfTheNameInAnyCaseChoosesTheDecoder) {
    ASSERT_EQ(mkdir((dir + "/sub.dir").c_str(), 0755), 0);
    const Bytes tga = tgaFile(2, 2, 24, Bytes(12, 9)), jpeg = jpegFile(8, 8, 3, Bytes(8 * 8 * 3, 100));
    // Names with "jp" hold a JPEG, the others a TGA: whether pixels appear shows whether a decoder ran.
    const std::pair<const char*, bool> names[] = {{"a.tga", true}, {"b.TGA", true}, {"e.Jpg", true}, {"g.jpeg", false},
        {"h.png", false}, {"noextension", false}, {"i.old.tga", false}, {"sub.dir/j.tga", true}};
    for (auto [name, loads] : names)
        EXPECT_EQ(decode(strcasestr(name, "jp") ? jpeg : tga, name)->pixels != nullptr, loads) << name;
    EXPECT_NE(decode(tga, "c.Tga", true)->pixels, nullptr);
    EXPECT_EQ(decode(jpeg, "f.jpg", true)->pixels, nullptr);   // a JPEG is not an alpha format
    // Reloading replaces the pixels and their layout; a failed load clears them. (Paths with Windows
    // separators are opened through addTga's test.)
    Image image;
    image.load((dir + "/a.tga").c_str());
    ASSERT_EQ(image.bytesPerPixel, 3);
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
    const char* hardware[] = {"AMD Radeon RX 6600 (radeonsi, navi23)", "Mesa Intel(R) UHD Graphics 620", nullptr};
    for (const char* name : hardware) EXPECT_FALSE(softwareRasterizer(name)) << (name ? name : "null");
}
