// The generated pictures of data/textury/: they decode with ImageMagick and with our own readers, the
// sky box joins at all twelve edges, the font sheet and sprites have the layout their users expect,
// and the generator writes the same bytes on every run.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "assetgen.h"
#include "image/image.h"
#include "image/texture.h"

namespace {

std::string textureFolder() {
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    return std::string(build ? build : ".") + "/data/textury/";
}

// A picture read through our own decoders: rows bottom first, as OpenGL receives them.
std::unique_ptr<Image> readPicture(const std::string& name) {
    auto image = std::make_unique<Image>();
    const std::string path = textureFolder() + name;
    if (name.ends_with(".jpg"))
        image->loadJpeg(path.c_str());
    else
        image->loadTga(path.c_str());
    return image;
}

const uint8_t* pixelAt(const Image& image, int x, int row) {
    return image.pixels + (static_cast<size_t>(row) * image.width + x) * image.bytesPerPixel;
}

// Width, height and channel layout as ImageMagick's identify reports them ("srgb", "srgba", ...).
struct Identified {
    int width = 0, height = 0;
    std::string channels;
};
Identified identify(const std::string& path) {
    Identified result;
    const std::string command = "identify -format '%w %h %[channels]' '" + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char channels[64] = {};
    if (std::fscanf(pipe, "%d %d %63s", &result.width, &result.height, channels) == 3) result.channels = channels;
    pclose(pipe);
    return result;
}

struct ExpectedPicture {
    const char* name;
    int width, height, bytesPerPixel;
};
const ExpectedPicture expectedPictures[] = {
    {"sky1.jpg", 1024, 1024, 3}, {"sky2.jpg", 1024, 1024, 3}, {"sky3.jpg", 1024, 1024, 3},
    {"sky4.jpg", 1024, 1024, 3}, {"sky5.jpg", 1024, 1024, 3}, {"sky6.jpg", 1024, 1024, 3},
    {"sun.jpg", 512, 512, 3},    {"spirala.jpg", 512, 512, 3}, {"mrak.jpg", 512, 512, 3},
    {"slunce.jpg", 256, 256, 3}, {"detail2.jpg", 256, 256, 3}, {"orx.tga", 1024, 256, 4},
    {"qm.tga", 1024, 256, 4},    {"font.tga", 1024, 1024, 4},  {"head02.tga", 128, 128, 4},
    {"smoke02.tga", 128, 128, 4},
};

TEST(AssetImages, EveryPictureDecodesWithImageMagickAndOurReaders) {
    for (const ExpectedPicture& expected : expectedPictures) {
        SCOPED_TRACE(expected.name);
        const Identified seen = identify(textureFolder() + expected.name);
        EXPECT_EQ(seen.width, expected.width);
        EXPECT_EQ(seen.height, expected.height);
        EXPECT_EQ(seen.channels, expected.bytesPerPixel == 4 ? "srgba" : "srgb");
        const auto image = readPicture(expected.name);
        ASSERT_NE(image->pixels, nullptr);
        EXPECT_EQ(image->width, expected.width);
        EXPECT_EQ(image->height, expected.height);
        EXPECT_EQ(image->bytesPerPixel, expected.bytesPerPixel);
        if (expected.bytesPerPixel == 4) {
            // Mipmapped through GLU or uploaded by the sprite loader: sides must be powers of two.
            EXPECT_TRUE(isTextureSize(image->width));
            EXPECT_TRUE(isTextureSize(image->height));
        }
    }
}

// The sky box as its display list draws it: corners with their texture coordinates, face by face.
struct SkyCorner {
    int x, y, z;
    float s, t;
};
struct SkyFaceCorners {
    const char* file;
    SkyCorner corner[4];
};
constexpr float lo = 0.005f, hi = 0.995f;
const SkyFaceCorners skyTable[6] = {
    {"sky5.jpg", {{-1, -1, 1, lo, lo}, {1, -1, 1, hi, lo}, {1, 1, 1, hi, hi}, {-1, 1, 1, lo, hi}}},
    {"sky2.jpg", {{1, -1, -1, lo, lo}, {-1, -1, -1, hi, lo}, {-1, 1, -1, hi, hi}, {1, 1, -1, lo, hi}}},
    {"sky4.jpg", {{-1, 1, 1, lo, lo}, {1, 1, 1, hi, lo}, {1, 1, -1, hi, hi}, {-1, 1, -1, lo, hi}}},
    {"sky6.jpg", {{-1, -1, -1, lo, lo}, {1, -1, -1, hi, lo}, {1, -1, 1, hi, hi}, {-1, -1, 1, lo, hi}}},
    {"sky1.jpg", {{-1, -1, -1, lo, lo}, {-1, -1, 1, hi, lo}, {-1, 1, 1, hi, hi}, {-1, 1, -1, lo, hi}}},
    {"sky3.jpg", {{1, -1, 1, lo, lo}, {1, -1, -1, hi, lo}, {1, 1, -1, hi, hi}, {1, 1, 1, lo, hi}}},
};

bool sameCorner(const SkyCorner& a, const SkyCorner& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// Bilinear sample at texture coordinates (s, t) the way OpenGL filters: data row 0 is t = 0.
float sampleChannel(const Image& image, float s, float t, int channel) {
    const float fx = s * image.width - 0.5f, fy = t * image.height - 0.5f;
    const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    const float ax = fx - x0, ay = fy - y0;
    float sum = 0.0f;
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            const int x = std::clamp(x0 + dx, 0, image.width - 1), y = std::clamp(y0 + dy, 0, image.height - 1);
            sum += pixelAt(image, x, y)[channel] * (dx ? ax : 1 - ax) * (dy ? ay : 1 - ay);
        }
    return sum;
}

// Mean absolute colour difference between two faces along their shared edge, running from corner a
// to corner b on the first face; `reversed` walks the second face the wrong way round, as a face turned
// by half a turn would.
float edgeDifference(const Image& first, const SkyCorner& a1, const SkyCorner& b1, const Image& second,
                     const SkyCorner& a2, const SkyCorner& b2, bool reversed) {
    constexpr int samples = 1000;
    double sum = 0.0;
    for (int i = 0; i < samples; ++i) {
        const float along = (i + 0.5f) / samples, other = reversed ? 1.0f - along : along;
        const float s1 = a1.s + (b1.s - a1.s) * along, t1 = a1.t + (b1.t - a1.t) * along;
        const float s2 = a2.s + (b2.s - a2.s) * other, t2 = a2.t + (b2.t - a2.t) * other;
        for (int c = 0; c < 3; ++c) sum += std::fabs(sampleChannel(first, s1, t1, c) - sampleChannel(second, s2, t2, c));
    }
    return static_cast<float>(sum / (3.0 * samples));
}

TEST(AssetImages, SkyBoxFacesJoinAtAllTwelveEdges) {
    std::unique_ptr<Image> faces[6];
    for (int f = 0; f < 6; ++f) {
        faces[f] = readPicture(skyTable[f].file);
        ASSERT_NE(faces[f]->pixels, nullptr) << skyTable[f].file;
    }
    int edges = 0;
    for (int f = 0; f < 6; ++f)
        for (int g = f + 1; g < 6; ++g) {
            // Two corners in common make an edge; find them on both faces.
            int onF[2], onG[2], found = 0;
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j)
                    if (sameCorner(skyTable[f].corner[i], skyTable[g].corner[j]) && found < 2) {
                        onF[found] = i;
                        onG[found] = j;
                        ++found;
                    }
            if (found != 2) continue;
            ++edges;
            SCOPED_TRACE(std::string(skyTable[f].file) + " / " + skyTable[g].file);
            const SkyCorner &a1 = skyTable[f].corner[onF[0]], &b1 = skyTable[f].corner[onF[1]];
            const SkyCorner &a2 = skyTable[g].corner[onG[0]], &b2 = skyTable[g].corner[onG[1]];
            const float joined = edgeDifference(*faces[f], a1, b1, *faces[g], a2, b2, false);
            const float turned = edgeDifference(*faces[f], a1, b1, *faces[g], a2, b2, true);
            EXPECT_LT(joined, 2.0f);
            // The sky has enough structure along every edge that a wrongly turned face would show.
            EXPECT_GT(turned, 2.0f * joined + 1.0f);
        }
    EXPECT_EQ(edges, 12);
}

// Ink of one font cell: cell k lies in column k mod 16 and row k div 16 from the top of the picture.
struct CellInk {
    int total = 0;                       // pixels with any ink
    int left = 64, right = -1, top = 64, bottom = -1;   // bounding box, cell pixels, rows from the top
};
int fontValue(const Image& sheet, int cell, int x, int yFromTop) {
    const int px = (cell % 16) * 64 + x, rowFromTop = (cell / 16) * 64 + yFromTop;
    return pixelAt(sheet, px, sheet.height - 1 - rowFromTop)[0];
}
CellInk cellInk(const Image& sheet, int cell) {
    CellInk ink;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (fontValue(sheet, cell, x, y) > 16) {
                ++ink.total;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}
// Separate runs of ink along one cell row.
int inkRuns(const Image& sheet, int cell, int y) {
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < 64; ++x) {
        const bool inked = fontValue(sheet, cell, x, y) > 128;
        if (inked && !inside) ++runs;
        inside = inked;
    }
    return runs;
}

TEST(AssetImages, FontSheetHoldsEveryPrintableCharacterInItsCell) {
    const auto sheet = readPicture("font.tga");
    ASSERT_NE(sheet->pixels, nullptr);
    ASSERT_EQ(sheet->width, 1024);
    ASSERT_EQ(sheet->height, 1024);
    ASSERT_EQ(sheet->bytesPerPixel, 4);

    EXPECT_EQ(cellInk(*sheet, 0).total, 0) << "the space cell must be empty";
    for (int code = 33; code <= 126; ++code) {
        const CellInk ink = cellInk(*sheet, code - 32);
        EXPECT_GT(ink.total, 20) << "character " << code;
        // Glyphs advance 0.9375 of a cell: ink stays in the middle 60 pixels, centred.
        EXPECT_GE(ink.left, 2) << "character " << code;
        EXPECT_LE(ink.right, 61) << "character " << code;
        EXPECT_LE(std::abs(ink.left - (63 - ink.right)), 2) << "character " << code;
    }
    for (int cell = 95; cell < 256; ++cell) EXPECT_EQ(cellInk(*sheet, cell).total, 0) << "cell " << cell;

    // 'A' in cell 33: an apex in the middle at the top, two legs at the bottom.
    const CellInk a = cellInk(*sheet, 33);
    EXPECT_EQ(inkRuns(*sheet, 33, a.top + 3), 1);
    EXPECT_EQ(inkRuns(*sheet, 33, a.bottom - 1), 2);
    int apexLeft = 64, apexRight = -1;
    for (int x = 0; x < 64; ++x)
        if (fontValue(*sheet, 33, x, a.top + 1) > 128) {
            apexLeft = std::min(apexLeft, x);
            apexRight = std::max(apexRight, x);
        }
    EXPECT_NEAR(0.5f * (apexLeft + apexRight), 31.5f, 2.0f);
    EXPECT_GT(a.right - a.left, 40) << "capitals fill most of the advance";
    // Capitals and digits share one baseline.
    for (char c : {'B', 'H', 'X', 'Z', '1', '7'}) EXPECT_EQ(cellInk(*sheet, c - 32).bottom, a.bottom) << c;
    EXPECT_GT(cellInk(*sheet, 'g' - 32).bottom, a.bottom) << "descenders go below the baseline";

    // Alpha repeats the brightness, and the glyphs are white.
    for (int i = 0; i < sheet->width * sheet->height; ++i) {
        const uint8_t* p = sheet->pixels + static_cast<size_t>(i) * 4;
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2] && p[2] == p[3]) << "pixel " << i;
    }
}

// Largest alpha on the outermost ring of pixels, and at the centre.
int borderAlpha(const Image& image) {
    int most = 0;
    for (int x = 0; x < image.width; ++x)
        most = std::max({most, static_cast<int>(pixelAt(image, x, 0)[3]), static_cast<int>(pixelAt(image, x, image.height - 1)[3])});
    for (int y = 0; y < image.height; ++y)
        most = std::max({most, static_cast<int>(pixelAt(image, 0, y)[3]), static_cast<int>(pixelAt(image, image.width - 1, y)[3])});
    return most;
}

TEST(AssetImages, SpritesAndLogosFadeToNothingAtTheirBorders) {
    for (const char* name : {"head02.tga", "smoke02.tga", "orx.tga", "qm.tga"}) {
        SCOPED_TRACE(name);
        const auto image = readPicture(name);
        ASSERT_NE(image->pixels, nullptr);
        ASSERT_EQ(image->bytesPerPixel, 4);
        EXPECT_EQ(borderAlpha(*image), 0);
    }
    const auto head = readPicture("head02.tga"), smoke = readPicture("smoke02.tga");
    EXPECT_EQ(pixelAt(*head, 64, 64)[3], 255) << "the emitter's core is solid";
    EXPECT_GT(pixelAt(*smoke, 64, 64)[3], 100);
    EXPECT_LT(pixelAt(*smoke, 64, 64)[3], 255) << "a puff is never solid";

    // The logos: solid chrome letters over a transparent field, centred as they are shown.
    for (const char* name : {"orx.tga", "qm.tga"}) {
        SCOPED_TRACE(name);
        const auto logo = readPicture(name);
        int solid = 0, left = logo->width, right = -1;
        for (int y = 0; y < logo->height; ++y)
            for (int x = 0; x < logo->width; ++x)
                if (pixelAt(*logo, x, y)[3] == 255) {
                    ++solid;
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        const double area = static_cast<double>(solid) / (logo->width * logo->height);
        EXPECT_GT(area, 0.05);
        EXPECT_LT(area, 0.6);
        EXPECT_NEAR(left, logo->width - 1 - right, logo->width * 0.05);
    }
}

TEST(AssetImages, GlowsAreBlackAtTheRimAndSurfacesTile) {
    for (const char* name : {"sun.jpg", "spirala.jpg"}) {
        SCOPED_TRACE(name);
        const auto glow = readPicture(name);
        ASSERT_NE(glow->pixels, nullptr);
        int rim = 0;
        for (int i = 0; i < glow->width; ++i)
            for (int c = 0; c < 3; ++c)
                rim = std::max({rim, static_cast<int>(pixelAt(*glow, i, 0)[c]), static_cast<int>(pixelAt(*glow, 0, i)[c])});
        EXPECT_LE(rim, 6) << "the billboard's square must not show";
        EXPECT_GE(pixelAt(*glow, glow->width / 2, glow->height / 2)[0], 240) << "a white core";
    }

    // The detail texture multiplies the terrain by twice its value: its mean must be near 128.
    const auto detail = readPicture("detail2.jpg");
    ASSERT_NE(detail->pixels, nullptr);
    double sum = 0.0;
    for (int i = 0; i < detail->width * detail->height * 3; ++i) sum += detail->pixels[i];
    EXPECT_NEAR(sum / (detail->width * detail->height * 3.0), 128.0, 3.0);

    // Tiling: the step from the last column (row) to the first is like any step inside the picture.
    for (const char* name : {"detail2.jpg", "mrak.jpg"}) {
        SCOPED_TRACE(name);
        const auto surface = readPicture(name);
        const int w = surface->width, h = surface->height;
        double inside = 0.0, wrap = 0.0;
        for (int y = 0; y < h; ++y) {
            inside += std::abs(pixelAt(*surface, w / 2, y)[0] - pixelAt(*surface, w / 2 - 1, y)[0]);
            wrap += std::abs(pixelAt(*surface, 0, y)[0] - pixelAt(*surface, w - 1, y)[0]);
        }
        for (int x = 0; x < w; ++x) {
            inside += std::abs(pixelAt(*surface, x, h / 2)[0] - pixelAt(*surface, x, h / 2 - 1)[0]);
            wrap += std::abs(pixelAt(*surface, x, 0)[0] - pixelAt(*surface, x, h - 1)[0]);
        }
        EXPECT_LT(wrap, 1.6 * inside + 2.0 * (w + h) * 0.5);
    }
}

std::vector<char> fileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(AssetImages, TwoRunsWriteIdenticalBytes) {
    char firstTemplate[] = "/tmp/halvex-images-a-XXXXXX", secondTemplate[] = "/tmp/halvex-images-b-XXXXXX";
    ASSERT_NE(mkdtemp(firstTemplate), nullptr);
    ASSERT_NE(mkdtemp(secondTemplate), nullptr);
    const std::filesystem::path first = firstTemplate, second = secondTemplate;
    ASSERT_TRUE(writeImages(first.string()));
    ASSERT_TRUE(writeImages(second.string()));
    int compared = 0;
    for (const ExpectedPicture& expected : expectedPictures) {
        SCOPED_TRACE(expected.name);
        const std::vector<char> a = fileBytes(first / "textury" / expected.name);
        const std::vector<char> b = fileBytes(second / "textury" / expected.name);
        EXPECT_FALSE(a.empty());
        EXPECT_TRUE(a == b);
        // The build's own data set came from the same generator.
        EXPECT_TRUE(a == fileBytes(std::filesystem::path(textureFolder()) / expected.name));
        ++compared;
    }
    EXPECT_EQ(compared, 16);
    std::filesystem::remove_all(first);
    std::filesystem::remove_all(second);
}

}  // namespace
