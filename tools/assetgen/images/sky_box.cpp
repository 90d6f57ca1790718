// The six faces of the star sky: every texel shows the sky in its own 3D direction, so the twelve cube
// edges join without a seam. The sky is a faint milky band with dust lanes, coloured nebula clouds from
// warped fractal noise, and 160,000 stars splatted by angular distance.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "common/image_writers.h"
#include "common/noise.h"
#include "common/picture_ops.h"
#include "common/rng.h"
#include "common/vec3.h"
#include "images/images.h"

namespace {

constexpr int faceSize = 1024;          // texels per side
constexpr float insetLow = 0.005f;      // texture coordinate of the cube's edge on every face
constexpr float insetHigh = 0.995f;

// The cube as the sky-box list draws it (half-size 1 here): corners in the order of their texture
// coordinates (low, low), (high, low), (high, high), (low, high).
struct SkyFace {
    const char* file;
    Vec3 corner[4];
};
const SkyFace skyFaces[6] = {
    {"sky5.jpg", {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}},
    {"sky2.jpg", {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}},
    {"sky4.jpg", {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}}},
    {"sky6.jpg", {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}},
    {"sky1.jpg", {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}}},
    {"sky3.jpg", {{1, -1, 1}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}}},
};

// Texel (x, y) of the picture, rows top first, as a point on the face. The loader hands the file's last
// row to OpenGL first, so picture row y sits at t = 1 - (y + 0.5) / size; s runs with x.
struct FaceFrame {
    Vec3 origin, alongS, alongT, normal;   // origin at texture (0, 0); alongS, alongT per unit of s, t
};
FaceFrame faceFrame(const SkyFace& face) {
    const Vec3 e1 = face.corner[1] - face.corner[0], e3 = face.corner[3] - face.corner[0];
    const float perUnit = 1.0f / (insetHigh - insetLow);
    FaceFrame frame;
    frame.alongS = e1 * perUnit;
    frame.alongT = e3 * perUnit;
    frame.origin = face.corner[0] - frame.alongS * insetLow - frame.alongT * insetLow;
    frame.normal = normalize(face.corner[0] + face.corner[2]);
    return frame;
}
inline Vec3 texelPoint(const FaceFrame& frame, float x, float y) {
    const float s = (x + 0.5f) / faceSize, t = 1.0f - (y + 0.5f) / faceSize;
    return frame.origin + frame.alongS * s + frame.alongT * t;
}

// Low-frequency look of the sky in one direction: nebula emission and milky-band light, linear colour.
struct SkyLight {
    Vec3 nebula, band;
};

struct SkyLook {
    GradientNoise shape{0x5C1A7E11ull}, warp{0x9A11E0F5ull}, tint{0x37C0FFEEull}, dust{0x0D057A11ull};
    Vec3 bandNormal = normalize({0.35f, 0.88f, -0.32f});

    SkyLight at(Vec3 d) const {
        // Nebulae: fractal noise in a domain warped by three more noises, gathered into a few regions.
        const Vec3 p = d * 1.25f;
        const Vec3 w = {fractalNoise(warp, p.x, p.y, p.z, 3), fractalNoise(warp, p.y + 5.2f, p.z + 1.3f, p.x + 2.8f, 3),
                        fractalNoise(warp, p.z + 9.1f, p.x + 4.7f, p.y + 7.6f, 3)};
        const Vec3 q = (p + w * 0.75f) * 1.6f;
        const float n = fractalNoise(shape, q.x, q.y, q.z, 5, 0.55f);
        const float region = smoothStep(-0.35f, 0.35f, shape.at(d.x * 1.1f + 31.0f, d.y * 1.1f, d.z * 1.1f));
        float density = smoothStep(-0.25f, 0.7f, n) * region;
        const float ridge = 1.0f - std::fabs(fractalNoise(warp, q.x * 1.8f, q.y * 1.8f, q.z * 1.8f, 3));
        density = density * (0.55f + 0.9f * ridge * ridge * ridge);

        // Colour wanders between violet, deep blue, teal and a rare glowing red.
        const float h = fractalNoise(tint, p.x * 0.8f, p.y * 0.8f, p.z * 0.8f, 2) * 1.2f;
        const Vec3 violet{0.85f, 0.28f, 0.95f}, blue{0.22f, 0.38f, 1.0f}, teal{0.1f, 0.75f, 0.8f}, red{1.0f, 0.3f, 0.25f};
        Vec3 colour = h < 0.0f ? mix(blue, violet, std::min(1.0f, -h * 1.6f)) : mix(blue, teal, std::min(1.0f, h * 1.8f));
        const float hot = smoothStep(0.45f, 0.75f, tint.at(p.x * 1.3f + 11.0f, p.y * 1.3f, p.z * 1.3f));
        colour = mix(colour, red, hot);

        SkyLight light;
        light.nebula = colour * (density * density * 0.75f);

        // Milky band: a warped great circle with star clouds and dark dust lanes along its middle.
        const float b = dot(d, bandNormal) + 0.06f * fractalNoise(dust, d.x * 2.5f, d.y * 2.5f, d.z * 2.5f, 3);
        const float band = std::exp(-b * b / (2.0f * 0.14f * 0.14f));
        const float clouds = 0.5f + 0.75f * fractalNoise(dust, d.x * 7.0f + 3.0f, d.y * 7.0f, d.z * 7.0f, 4);
        const float lane = smoothStep(0.05f, 0.45f, fractalNoise(dust, d.x * 4.0f - 8.0f, d.y * 4.0f, d.z * 4.0f, 4)) *
                           std::exp(-b * b / (2.0f * 0.06f * 0.06f));
        light.band = Vec3{0.9f, 0.84f, 0.76f} * (0.22f * band * std::max(0.0f, clouds) * (1.0f - 0.85f * lane));
        light.nebula = light.nebula * (1.0f - 0.6f * lane);
        return light;
    }
};

// Coarse grid of the low-frequency look, one sample every `step` texels, with two samples of margin so
// the cubic upsampling has neighbours beyond the picture's edges.
constexpr int gridStep = 4;
constexpr int gridSize = faceSize / gridStep + 4;
inline float gridCoordinate(int i) { return static_cast<float>(gridStep * (i - 2)) + 0.5f * (gridStep - 1); }

std::vector<SkyLight> coarseGrid(const SkyLook& look, const FaceFrame& frame) {
    std::vector<SkyLight> grid(static_cast<size_t>(gridSize) * gridSize);
    for (int j = 0; j < gridSize; ++j)
        for (int i = 0; i < gridSize; ++i)
            grid[static_cast<size_t>(j) * gridSize + i] =
                look.at(normalize(texelPoint(frame, gridCoordinate(i), gridCoordinate(j))));
    return grid;
}

// Catmull-Rom weights for a fraction f between samples 1 and 2 of four.
inline void cubicWeights(float f, float w[4]) {
    const float f2 = f * f, f3 = f2 * f;
    w[0] = 0.5f * (-f3 + 2 * f2 - f);
    w[1] = 0.5f * (3 * f3 - 5 * f2 + 2);
    w[2] = 0.5f * (-3 * f3 + 4 * f2 + f);
    w[3] = 0.5f * (f3 - f2);
}

// A star: direction, brightness (1 = a clearly visible point; above 0.8 it glows, above 4 it has
// spikes) and colour.
struct Star {
    Vec3 direction;
    float brightness;
    Vec3 colour;
};

Vec3 starColour(Rng& rng) {
    const float r = static_cast<float>(rng.unit());
    if (r < 0.30f) return {0.72f, 0.82f, 1.0f};    // hot blue-white
    if (r < 0.70f) return {1.0f, 1.0f, 1.0f};       // white
    if (r < 0.86f) return {1.0f, 0.92f, 0.75f};     // yellow
    if (r < 0.96f) return {1.0f, 0.75f, 0.5f};      // orange
    return {1.0f, 0.55f, 0.45f};                    // red
}

Vec3 randomDirection(Rng& rng) {
    const float z = static_cast<float>(rng.range(-1.0, 1.0));
    const float phi = static_cast<float>(rng.range(0.0, 6.283185307179586));
    const float r = std::sqrt(std::max(0.0f, 1.0f - z * z));
    return {r * std::cos(phi), r * std::sin(phi), z};
}

std::vector<Star> makeStars(const SkyLook& look) {
    Rng rng(0x57A125ull);
    std::vector<Star> stars;
    const Vec3 n = look.bandNormal;
    const Vec3 t1 = normalize(cross(n, {0, 0, 1})), t2 = cross(n, t1);
    for (int i = 0; i < 160000; ++i) {
        Star star;
        if (i % 3 == 2) {
            // A third of the stars crowd into the milky band.
            const float phi = static_cast<float>(rng.range(0.0, 6.283185307179586));
            const float g = static_cast<float>(rng.range(-1.0, 1.0) + rng.range(-1.0, 1.0) + rng.range(-1.0, 1.0));
            star.direction = normalize(t1 * std::cos(phi) + t2 * std::sin(phi) + n * (g * 0.09f));
        } else {
            star.direction = randomDirection(rng);
        }
        // Counts fall as brightness^-1.5, as for stars spread evenly through space: a few hundred
        // bright stars with a glow, a few dozen with spikes, a dense dust of faint ones.
        const float u = static_cast<float>(rng.unit());
        star.brightness = std::min(14.0f, 0.035f * std::pow(1.0f - u, -1.0f / 1.5f));
        star.colour = starColour(rng);
        stars.push_back(star);
    }
    return stars;
}

constexpr float texelAngle = 2.0f / (faceSize * (insetHigh - insetLow));   // radians per texel at a face centre
constexpr float coreSigma = 0.62f * texelAngle;

// Light of one star at angular distance squared theta2 (radians squared): a sharp core, and for the
// bright ones a soft glow with faint cross spikes along the star's own tangent axes.
inline float starProfile(const Star& star, float theta2, Vec3 offset, Vec3 axisA, Vec3 axisB) {
    float light = star.brightness * std::exp(-theta2 / (2.0f * coreSigma * coreSigma));
    if (star.brightness > 0.8f) {
        const float theta = std::sqrt(theta2) / texelAngle;
        light += 0.06f * star.brightness * std::exp(-theta / 2.6f);
    }
    if (star.brightness > 4.0f) {
        const float theta = std::sqrt(theta2) / texelAngle;
        const float a = dot(offset, axisA) / texelAngle, b = dot(offset, axisB) / texelAngle;
        const float spike = std::exp(-a * a / 0.35f) + std::exp(-b * b / 0.35f);
        light += 0.05f * star.brightness * spike * std::exp(-theta / (1.8f * std::sqrt(star.brightness)));
    }
    return light;
}

inline float starRadius(const Star& star) {   // texels at a face centre beyond which a star adds nothing
    if (star.brightness > 0.8f) return 6.0f + 9.0f * std::sqrt(star.brightness);
    return 3.0f;
}

// Adds every star that touches this face (or its margin) into the linear colour buffer.
void splatStars(const std::vector<Star>& stars, const FaceFrame& frame, std::vector<Vec3>& light) {
    const float planeScale = 1.0f / dot(frame.alongS, frame.alongS);
    const float tPlaneScale = 1.0f / dot(frame.alongT, frame.alongT);
    for (const Star& star : stars) {
        const float facing = dot(star.direction, frame.normal);
        if (facing < 0.45f) continue;   // beyond 64 degrees from the face normal it cannot land on the face
        const Vec3 onPlane = star.direction * (1.0f / facing);
        const Vec3 rel = onPlane - frame.origin;
        const float s = dot(rel, frame.alongS) * planeScale, t = dot(rel, frame.alongT) * tPlaneScale;
        const float cx = s * faceSize - 0.5f, cy = (1.0f - t) * faceSize - 0.5f;
        const float radius = starRadius(star) / (facing * facing) + 1.0f;
        const int x0 = std::max(0, static_cast<int>(std::floor(cx - radius)));
        const int x1 = std::min(faceSize - 1, static_cast<int>(std::ceil(cx + radius)));
        const int y0 = std::max(0, static_cast<int>(std::floor(cy - radius)));
        const int y1 = std::min(faceSize - 1, static_cast<int>(std::ceil(cy + radius)));
        if (x0 > x1 || y0 > y1) continue;
        const Vec3 axisA = normalize(cross(star.direction, {0.3f, 1.0f, 0.1f})), axisB = cross(star.direction, axisA);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const Vec3 e = normalize(texelPoint(frame, static_cast<float>(x), static_cast<float>(y)));
                if (dot(e, star.direction) <= 0.0f) continue;
                const Vec3 c = cross(star.direction, e);
                const float value = starProfile(star, dot(c, c), e - star.direction, axisA, axisB);
                if (value < 1e-4f) continue;
                Vec3& out = light[static_cast<size_t>(y) * faceSize + x];
                out = out + star.colour * value;
            }
    }
}

// Fills one face: upsampled look, fine grain at full resolution, stars, then tone mapping.
Picture renderFace(const SkyLook& look, const std::vector<Star>& stars, const SkyFace& face) {
    const FaceFrame frame = faceFrame(face);
    const std::vector<SkyLight> grid = coarseGrid(look, frame);
    std::vector<Vec3> light(static_cast<size_t>(faceSize) * faceSize);
    for (int y = 0; y < faceSize; ++y) {
        const float gy = (static_cast<float>(y) - 0.5f * (gridStep - 1)) / gridStep + 2.0f;
        const int jy = static_cast<int>(gy);
        float wy[4];
        cubicWeights(gy - jy, wy);
        for (int x = 0; x < faceSize; ++x) {
            const float gx = (static_cast<float>(x) - 0.5f * (gridStep - 1)) / gridStep + 2.0f;
            const int ix = static_cast<int>(gx);
            float wx[4];
            cubicWeights(gx - ix, wx);
            SkyLight sum{};
            for (int b = 0; b < 4; ++b)
                for (int a = 0; a < 4; ++a) {
                    const SkyLight& g = grid[static_cast<size_t>(jy - 1 + b) * gridSize + (ix - 1 + a)];
                    const float w = wx[a] * wy[b];
                    sum.nebula = sum.nebula + g.nebula * w;
                    sum.band = sum.band + g.band * w;
                }
            const Vec3 d = normalize(texelPoint(frame, static_cast<float>(x), static_cast<float>(y)));
            const Vec3 p = d * 28.0f;
            const float grain = fractalNoise(look.shape, p.x, p.y, p.z, 2, 0.6f);
            const float nebulaGrain = std::max(0.0f, 1.0f + 0.55f * grain);
            const float bandGrain = std::max(0.0f, 1.0f + 0.6f * grain);
            Vec3 value = sum.nebula * nebulaGrain + sum.band * bandGrain;
            value = {std::max(0.0f, value.x), std::max(0.0f, value.y), std::max(0.0f, value.z)};
            light[static_cast<size_t>(y) * faceSize + x] = value + Vec3{0.004f, 0.005f, 0.009f};
        }
    }
    splatStars(stars, frame, light);
    Picture picture(faceSize, faceSize, 3);
    for (int y = 0; y < faceSize; ++y)
        for (int x = 0; x < faceSize; ++x) {
            const Vec3 v = light[static_cast<size_t>(y) * faceSize + x];
            uint8_t* out = picture.at(x, y);
            out[0] = toByte(std::pow(1.0f - std::exp(-v.x * 1.4f), 0.8f));
            out[1] = toByte(std::pow(1.0f - std::exp(-v.y * 1.4f), 0.8f));
            out[2] = toByte(std::pow(1.0f - std::exp(-v.z * 1.4f), 0.8f));
        }
    return picture;
}

}  // namespace

bool writeSkyBox(const std::string& folder) {
    const SkyLook look;
    const std::vector<Star> stars = makeStars(look);
    // Two workers, three faces each: the faces are independent, so the bytes do not depend on timing.
    if (!makeParentFolders(folder + skyFaces[0].file)) return false;
    bool ok[6] = {};
    auto work = [&](int first) {
        for (int f = first; f < 6; f += 2)
            ok[f] = writeJpeg(folder + skyFaces[f].file, renderFace(look, stars, skyFaces[f]), 92);
    };
    std::thread helper(work, 1);
    work(0);
    helper.join();
    for (int f = 0; f < 6; ++f)
        if (!ok[f]) {
            std::fprintf(stderr, "assetgen: cannot write %s\n", skyFaces[f].file);
            return false;
        }
    return true;
}
