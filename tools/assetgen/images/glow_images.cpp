// The bright additive pictures: the sun glow the scenes tint yellow, cyan and olive, the spiral of the
// motion-blur scene, and a sun disc. All fall to black at their borders, because the scenes add them.
#include <algorithm>
#include <cmath>

#include "common/image_writers.h"
#include "common/noise.h"
#include "common/picture_ops.h"
#include "images/images.h"

namespace {

constexpr float pi = 3.14159265358979f;

// Polar position of a pixel centre about the picture's centre: radius 1 at the middle of each side.
struct Polar {
    float r, angle;
};
Polar polarAt(int x, int y, int size) {
    const float half = 0.5f * size;
    const float dx = (x + 0.5f - half) / half, dy = (y + 0.5f - half) / half;
    return {std::sqrt(dx * dx + dy * dy), std::atan2(dy, dx)};
}

// A square RGB picture of the given size, each pixel painted by texel(polar position, x, y, rgb out).
template <typename Texel>
Picture paintRadial(int size, Texel texel) {
    Picture picture(size, size, 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) texel(polarAt(x, y, size), x, y, picture.at(x, y));
    return picture;
}

// The sun: the scenes add it weighted by its own colour, so the light seen is the square of the stored
// value; the profile is designed as that light and stored as its square root. A tight core, a halo and
// a wide corona are summed and compressed by 1 - e^-x, which keeps the brightest texels below white and
// the falloff smooth from the centre out: no flat disc survives the yellow tint.
Picture makeSunGlow() {
    constexpr int size = 512;
    const GradientNoise noise(0x5011ull);
    return paintRadial(size, [&](Polar p, int, int, uint8_t* out) {
        const float core = 1.8f * std::exp(-p.r * p.r / (0.06f * 0.06f));
        const float halo = 1.2f * std::exp(-p.r / 0.15f);
        const float corona = 0.5f * std::exp(-p.r / 0.28f);
        // Faint rays: noise around the rim, seen from the centre outwards.
        const float c = std::cos(p.angle), s = std::sin(p.angle);
        const float ray = 0.5f + 0.5f * fractalNoise(noise, c * 5.0f, s * 5.0f, 1.7f, 3);
        const float rays = 0.25f * ray * ray * ray * std::exp(-p.r / 0.3f);
        const float window = smoothStep(1.0f, 0.45f, p.r);
        const float light = (1.0f - std::exp(-(core + halo + corona + rays))) * window;
        const uint8_t v = toByte(std::sqrt(light));
        out[0] = out[1] = out[2] = v;
    });
}

// A sun disc with a darkened rim, boiling granules and a short corona, in its own colours.
Picture makeSunDisc() {
    constexpr int size = 256;
    const GradientNoise noise(0xD15Cull);
    return paintRadial(size, [&](Polar p, int x, int y, uint8_t* out) {
        const float fx = (x + 0.5f) / size * 24.0f, fy = (y + 0.5f) / size * 24.0f;
        const float granules = 0.85f + 0.15f * fractalNoise(noise, fx, fy, 0.5f, 3);
        const float inside = smoothStep(0.72f, 0.70f, p.r);
        const float mu = std::sqrt(std::max(0.0f, 1.0f - (p.r / 0.72f) * (p.r / 0.72f)));
        const float limb = 0.45f + 0.55f * mu;
        const float corona = 0.6f * std::exp(-std::max(0.0f, p.r - 0.7f) / 0.07f) * smoothStep(1.0f, 0.75f, p.r);
        const float body = inside * limb * granules;
        out[0] = toByte(body * 1.0f + corona * 1.0f);
        out[1] = toByte(body * (0.62f + 0.3f * mu) + corona * 0.55f);
        out[2] = toByte(body * (0.15f + 0.35f * mu * mu) + corona * 0.15f);
    });
}

// Three logarithmic arms winding out of a bright hub, with streaks along them, black at the rim.
Picture makeSpiral() {
    constexpr int size = 512;
    const GradientNoise noise(0x5B12A1ull);
    return paintRadial(size, [&](Polar p, int, int, uint8_t* out) {
        const float r = std::max(p.r, 1e-3f);
        const float phase = 3.0f * p.angle + 7.5f * std::log(r);
        const float arm = 0.5f + 0.5f * std::cos(phase);
        const float streak = 0.75f + 0.25f * noise.at(r * 14.0f, phase * 0.8f, 3.3f);
        const float arms = std::pow(arm, 3.0f) * streak * smoothStep(0.02f, 0.25f, r);
        const float hub = std::exp(-r * r / (2.0f * 0.09f * 0.09f));
        const float window = smoothStep(1.0f, 0.6f, p.r);
        const float v = std::min(1.0f, (arms * (1.1f - 0.6f * r) + hub) * window);
        out[0] = out[1] = out[2] = toByte(v);
    });
}

}  // namespace

bool writeGlowImages(const std::string& folder) {
    return writeJpeg(folder + "sun.jpg", makeSunGlow(), 92) && writeJpeg(folder + "slunce.jpg", makeSunDisc(), 90) &&
           writeJpeg(folder + "spirala.jpg", makeSpiral(), 90);
}
