// Where the full screen puts the picture: the largest centred rectangle of its shape, bars of equal
// size on both sides, the whole screen when the shape is the screen's or when stretched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>

#include "platform/virtual_screen.h"

// Beside PictureRect, where GoogleTest's lookup finds them.
static bool operator==(const PictureRect& a, const PictureRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
static std::ostream& operator<<(std::ostream& out, const PictureRect& r) {
    return out << r.width << "x" << r.height << "+" << r.x << "+" << r.y;
}

TEST(VirtualScreen, PicturePlacedLargestCentredWithItsShape) {
    const struct {
        int pictureWidth, pictureHeight, screenWidth, screenHeight;
        bool stretch;
        PictureRect expected;
    } cases[] = {
        {1024, 768, 1920, 1080, false, {240, 0, 1440, 1080}},   // pillarbox: 240 pixels each side
        {1024, 768, 1280, 1024, false, {0, 32, 1280, 960}},     // letterbox on a 5:4 display
        {1280, 1024, 1920, 1080, false, {285, 0, 1350, 1080}},
        {640, 480, 1024, 768, false, {0, 0, 1024, 768}},        // same shape: no bars at all
        {1024, 768, 1024, 768, false, {0, 0, 1024, 768}},
        {1024, 768, 1920, 1080, true, {0, 0, 1920, 1080}},      // --stretch
        {800, 600, 1366, 768, false, {171, 0, 1024, 768}},      // 1024 wide, 342 left over, odd split rounds down
        {16, 16384, 16, 16, false, {7, 0, 1, 16}},               // never narrower than one pixel
        {1024, 768, 3840, 2160, false, {480, 0, 2880, 2160}},   // a HiDPI drawable counts in pixels
    };
    for (const auto& c : cases) {
        EXPECT_EQ(placePicture(c.pictureWidth, c.pictureHeight, c.screenWidth, c.screenHeight, c.stretch), c.expected)
            << c.pictureWidth << "x" << c.pictureHeight << " on " << c.screenWidth << "x" << c.screenHeight;
    }
}

TEST(VirtualScreen, EveryDialogSizeFitsEveryCommonDisplayCentredAndInside) {
    const int pictures[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}, {1000, 700}};
    const int screens[][2] = {{1920, 1080}, {1280, 1024}, {1366, 768}, {2560, 1440}, {1920, 1200},
                              {3440, 1440}, {1024, 768},  {800, 1280}, {2880, 1800}};
    for (const auto& p : pictures) {
        for (const auto& s : screens) {
            const PictureRect r = placePicture(p[0], p[1], s[0], s[1], false);
            SCOPED_TRACE(testing::Message() << p[0] << "x" << p[1] << " on " << s[0] << "x" << s[1] << ": " << r);
            EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= s[0] && r.y + r.height <= s[1]);
            EXPECT_TRUE(r.width == s[0] || r.height == s[1]) << "touches two sides";
            EXPECT_LE(std::abs((s[0] - r.width) - 2 * r.x), 1) << "bars left and right differ";
            EXPECT_LE(std::abs((s[1] - r.height) - 2 * r.y), 1) << "bars top and bottom differ";
            // The shape differs from the picture's by less than a pixel's rounding.
            EXPECT_LE(std::abs(static_cast<long long>(r.width) * p[1] - static_cast<long long>(r.height) * p[0]),
                      std::max(p[0], p[1]));
        }
    }
}
