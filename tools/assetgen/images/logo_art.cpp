// Drawing shared by the flat logos and the application icon: a canvas of letter and accent coverage,
// blurred into a bevel and a glow, and composed into chrome letters with a blue halo.
#include "images/logo_art.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/picture_ops.h"

namespace {
struct Rgb {
    float r, g, b;
};
Rgb mixRgb(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// Chrome: a cold sky reflection above a sharp horizon, a dark band and a warm ground glint below.
Rgb chrome(float t) {
    const Rgb top{0.92f, 0.96f, 1.0f}, sky{0.55f, 0.64f, 0.82f}, dark{0.2f, 0.24f, 0.38f}, ground{1.0f, 0.86f, 0.62f};
    if (t < 0.5f) return mixRgb(top, sky, t / 0.5f);
    if (t < 0.56f) return mixRgb(sky, dark, (t - 0.5f) / 0.06f);
    return mixRgb(dark, ground, std::pow(std::clamp((t - 0.56f) / 0.44f, 0.0f, 1.0f), 1.3f));
}
}  // namespace

LogoCanvas makeCanvas(int width, int height, float shownAspect) {
    const float stretch = static_cast<float>(width) / (static_cast<float>(height) * shownAspect);
    return {width, height, stretch, Coverage(width, height), Coverage(width, height)};
}

// Separable Gaussian blur with separate radii (sigma in picture pixels) along x and y.
Coverage blur(const Coverage& source, float sigmaX, float sigmaY) {
    auto kernel = [](float sigma) {
        const int radius = static_cast<int>(std::ceil(sigma * 3.0f));
        std::vector<float> k(static_cast<size_t>(2 * radius + 1));
        float sum = 0.0f;
        for (int i = -radius; i <= radius; ++i) sum += k[i + radius] = std::exp(-0.5f * i * i / (sigma * sigma));
        for (float& w : k) w /= sum;
        return k;
    };
    const std::vector<float> kx = kernel(sigmaX), ky = kernel(sigmaY);
    const int rx = static_cast<int>(kx.size() / 2), ry = static_cast<int>(ky.size() / 2);
    Coverage across(source.width, source.height), result(source.width, source.height);
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x) {
            float sum = 0.0f;
            for (int i = -rx; i <= rx; ++i) sum += kx[i + rx] * source.clampedAt(x + i, y);
            across.at(x, y) = sum;
        }
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x) {
            float sum = 0.0f;
            for (int i = -ry; i <= ry; ++i) sum += ky[i + ry] * across.clampedAt(x, y + i);
            result.at(x, y) = sum;
        }
    return result;
}

// Turns the letter and accent coverages into the RGBA picture. `metalTop` and `metalBottom` are the
// rows between which the chrome gradient runs (the cap height of the big letters).
Picture composeLogo(const LogoCanvas& canvas, float metalTop, float metalBottom, float glowSigma) {
    const Coverage bevel = blur(canvas.letters, 1.6f * canvas.detail * canvas.stretch, 1.6f * canvas.detail);
    const Coverage glow = blur(canvas.letters, glowSigma * canvas.stretch, glowSigma);
    const Coverage accentGlow = blur(canvas.accents, 3.0f * canvas.detail * canvas.stretch, 3.0f * canvas.detail);
    const Rgb glowColour{0.35f, 0.62f, 1.0f};
    Picture picture(canvas.width, canvas.height, 4);
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const float cover = canvas.letters.at(x, y);
            // Bevel: light from the upper left brightens edges facing it and darkens the others.
            const float gx = (bevel.clampedAt(x + 1, y) - bevel.clampedAt(x - 1, y)) * canvas.stretch;
            const float gy = bevel.clampedAt(x, y + 1) - bevel.clampedAt(x, y - 1);
            const float facing = (gx * 0.7f + gy * 0.7f) * 2.2f;
            Rgb metal = chrome((y - metalTop) / (metalBottom - metalTop));
            const float shine = std::clamp(facing, -0.5f, 0.8f);
            metal = shine > 0 ? mixRgb(metal, {1, 1, 1}, shine) : mixRgb(metal, {0.05f, 0.06f, 0.12f}, -shine);
            const float halo = std::min(1.0f, glow.at(x, y) * 1.15f) * 0.75f;
            const float accent = std::max(canvas.accents.at(x, y), std::min(1.0f, accentGlow.at(x, y) * 1.6f) * 0.6f);
            const float around = std::max(halo, accent);
            const Rgb around_colour = canvas.accents.at(x, y) > 0.5f ? Rgb{0.85f, 0.93f, 1.0f} : glowColour;
            const Rgb colour = mixRgb(around_colour, metal, cover);
            // Edges of the picture stay fully transparent, whatever the glow did.
            const float alpha = std::max(cover, around) * (x > 0 && y > 0 && x < canvas.width - 1 && y < canvas.height - 1);
            uint8_t* out = picture.at(x, y);
            out[0] = toByte(colour.r);
            out[1] = toByte(colour.g);
            out[2] = toByte(colour.b);
            out[3] = toByte(alpha);
        }
    return picture;
}

// Draws a text centred at shown-space x (0..1 of the width) on the given baseline row.
void drawCentred(const FontFace& face, const std::string& text, float centre, float baseline, float tracking,
                 Coverage& canvas) {
    const float width = face.textWidth(text, tracking);
    face.drawText(text, centre * canvas.width - 0.5f * width, baseline, tracking, canvas);
}

void drawBar(Coverage& canvas, float x0, float x1, float y0, float y1) {
    for (int y = static_cast<int>(y0); y < static_cast<int>(std::ceil(y1)); ++y)
        for (int x = static_cast<int>(x0); x < static_cast<int>(std::ceil(x1)); ++x) {
            if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) continue;
            const float cx = std::min(1.0f, std::min(x + 1 - x0, x1 - x)), cy = std::min(1.0f, std::min(y + 1 - y0, y1 - y));
            canvas.at(x, y) = std::max(canvas.at(x, y), std::max(0.0f, cx) * std::max(0.0f, cy));
        }
}
