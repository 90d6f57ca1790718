// Choosing the decoder from the file name: which extensions load, which loader accepts which format.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "image/image.h"
#include "unit/image_test_files.h"

namespace {
std::string dir = scratchDirectory();

// The same 2 x 2 24-bit TGA under every name: whether pixels appear shows whether a decoder ran.
bool loads(const std::string& name, bool alpha) {
    std::string path = dir + "/" + name;
    writeBytes(path, tgaFile(2, 2, 24, Bytes(12, 9)));
    Image image;
    if (alpha) image.loadWithAlpha(path.c_str());
    else image.load(path.c_str());
    return image.pixels != nullptr;
}

bool jpegLoads(const std::string& name) {
    std::string path = dir + "/" + name;
    writeBytes(path, jpegFile(8, 8, 3, Bytes(8 * 8 * 3, 100)));
    Image image;
    image.load(path.c_str());
    return image.pixels != nullptr && image.format == IMAGE_JPEG;
}
}  // namespace

TEST(ImageDispatch, PicksTheDecoderByExtensionWithoutRegardToCase) {
    EXPECT_TRUE(loads("a.tga", false));
    EXPECT_TRUE(loads("b.TGA", false));
    EXPECT_TRUE(loads("c.Tga", true));
    EXPECT_TRUE(jpegLoads("d.JPG"));
    EXPECT_TRUE(jpegLoads("e.Jpg"));
    EXPECT_TRUE(jpegLoads("f.jpg"));
    EXPECT_FALSE(jpegLoads("g.jpeg"));   // the four-letter extension is not one of the four
    EXPECT_FALSE(loads("h.png", false));
    EXPECT_FALSE(loads("noextension", false));
    // The extension is what follows the first "." of the file name.
    EXPECT_FALSE(loads("i.old.tga", false));
    // Windows separators in a path are directory separators, and dots in directories do not count.
    std::string windowsPath = dir + "/a.tga";
    for (char& c : windowsPath)
        if (c == '/') c = '\\';
    Image fromWindowsPath;
    fromWindowsPath.load(windowsPath.c_str());
    EXPECT_NE(fromWindowsPath.pixels, nullptr);
    std::string dotted = dir + "/sub.dir";
    ASSERT_EQ(mkdir(dotted.c_str(), 0755), 0);
    EXPECT_TRUE(loads("sub.dir/j.tga", false));
    // A JPEG is not an alpha format.
    std::string jpegPath = dir + "/f.jpg";
    Image image;
    image.loadWithAlpha(jpegPath.c_str());
    EXPECT_EQ(image.pixels, nullptr);
}

TEST(ImageDispatch, ReloadingReplacesPixelsAndFailureClearsThem) {
    std::string tga = dir + "/first.tga";
    writeBytes(tga, tgaFile(2, 1, 32, Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    std::string bmp = dir + "/second.bmp";
    writeBytes(bmp, bmpFile(1, 1, {Bytes{0, 0, 0}}));
    Image image;
    image.load(tga.c_str());
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.bytesPerPixel, 4);
    image.loadWithAlpha(bmp.c_str());
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.format, IMAGE_BMP);
    EXPECT_EQ(image.width, 1);
    EXPECT_EQ(image.pixels[3], 0);   // pure black: transparent
    image.load((dir + "/missing.bmp").c_str());
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.bytesPerPixel, 0);
}
