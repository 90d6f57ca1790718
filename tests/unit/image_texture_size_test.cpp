// Texture sides the TGA sprite loader accepts (powers of two from 1 to 1024), and which drivers are software rasterisers.
#include <gtest/gtest.h>

#include "image/texture.h"

TEST(TextureSize, AcceptsPowersOfTwoUpTo1024Only) {
    for (int side = 1; side <= 1024; side *= 2) EXPECT_TRUE(isTextureSize(side)) << side;
    for (int side : {0, -1, -2, 3, 100, 1023, 1025, 2048, 65536}) EXPECT_FALSE(isTextureSize(side)) << side;
}

TEST(TextureAnisotropy, SoftwareRasterizersAreRecognisedByName) {
    EXPECT_TRUE(softwareRasterizer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(softwareRasterizer("softpipe"));
    EXPECT_TRUE(softwareRasterizer("Software Rasterizer (swrast)"));
    EXPECT_FALSE(softwareRasterizer("AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)"));
    EXPECT_FALSE(softwareRasterizer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(softwareRasterizer(nullptr));
}
