// Texture sides the TGA sprite loader accepts: powers of two from 1 to 1024.
#include <gtest/gtest.h>

#include "image/texture.h"

TEST(TextureSize, AcceptsPowersOfTwoUpTo1024Only) {
    for (int side = 1; side <= 1024; side *= 2) EXPECT_TRUE(isTextureSize(side)) << side;
    for (int side : {0, -1, -2, 3, 100, 1023, 1025, 2048, 65536}) EXPECT_FALSE(isTextureSize(side)) << side;
}
