// The particle sprites, drawn additively as colour times alpha and tinted by each particle: a star core
// with a halo and four rays for the emitters, and a soft irregular puff for their trails. Both are
// white, so the tint decides the colour, and their alpha is zero on the whole border.
#include <cmath>

#include "common/image_writers.h"
#include "common/noise.h"
#include "common/picture_ops.h"
#include "images/images.h"

namespace {

constexpr int spriteSize = 128;

// Distance from the centre in units of half the side, and the offsets along x and y.
struct Offset {
    float dx, dy, r;
};
Offset offsetAt(int x, int y) {
    const float half = 0.5f * spriteSize;
    const float dx = (x + 0.5f - half) / half, dy = (y + 0.5f - half) / half;
    return {dx, dy, std::sqrt(dx * dx + dy * dy)};
}

Picture makeStarCore() {
    Picture picture(spriteSize, spriteSize, 4);
    for (int y = 0; y < spriteSize; ++y)
        for (int x = 0; x < spriteSize; ++x) {
            const Offset o = offsetAt(x, y);
            const float core = std::exp(-o.r * o.r / (2.0f * 0.07f * 0.07f));
            const float halo = 0.45f * std::exp(-o.r / 0.17f);
            const float rayX = std::exp(-o.dy * o.dy / (2.0f * 0.018f * 0.018f)), rayY = std::exp(-o.dx * o.dx / (2.0f * 0.018f * 0.018f));
            const float rays = 0.55f * (rayX + rayY) * std::pow(std::max(0.0f, 1.0f - o.r), 2.0f);
            const float alpha = std::min(1.0f, core + halo + rays) * smoothStep(1.0f, 0.75f, o.r);
            uint8_t* out = picture.at(x, y);
            // The very centre is white-hot; farther out the tint alone colours the light.
            out[0] = out[1] = out[2] = 255;
            out[3] = toByte(alpha);
        }
    return picture;
}

Picture makePuff() {
    const GradientNoise noise(0x5E0CEull);
    Picture picture(spriteSize, spriteSize, 4);
    for (int y = 0; y < spriteSize; ++y)
        for (int x = 0; x < spriteSize; ++x) {
            const Offset o = offsetAt(x, y);
            const float billow = 0.62f + 0.38f * fractalNoise(noise, o.dx * 2.6f, o.dy * 2.6f, 0.4f, 4, 0.55f);
            const float body = std::pow(smoothStep(1.0f, 0.05f, o.r), 1.4f);
            const float alpha = std::max(0.0f, body * billow) * 0.85f;
            const float shade = 0.82f + 0.18f * billow;
            uint8_t* out = picture.at(x, y);
            out[0] = out[1] = out[2] = toByte(shade);
            out[3] = toByte(alpha);
        }
    return picture;
}

}  // namespace

bool writeSprites(const std::string& folder) {
    return writeTga(folder + "head02.tga", makeStarCore()) && writeTga(folder + "smoke02.tga", makePuff());
}
