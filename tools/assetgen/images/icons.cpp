// The application icon at the icon theme's sizes: the chrome "ORX" of the logo with its blue halo on a
// rounded square of deep space. Small sizes keep only the big letters, drawn taller and finer, so the
// icon still reads as this demo at 16 pixels.
#include <algorithm>
#include <cmath>
#include <string>

#include "common/glyphs.h"
#include "common/image_writers.h"
#include "common/picture_ops.h"
#include "common/rng.h"
#include "image/png_file.h"
#include "images/images.h"
#include "images/logo_art.h"

const int iconSizes[iconSizeCount] = {16, 22, 24, 32, 48, 64, 128, 256};

namespace {
// Height of the capitals per em of the face, measured on 'H'.
float capHeightPerEm(FontFace& face) {
    constexpr float probe = 200.0f;
    GlyphImage glyph;
    if (!face.setSize(probe) || !face.render('H', glyph) || glyph.top <= 0) return 0.7f;
    return static_cast<float>(glyph.top) / probe;
}

// Coverage of a rounded square filling the picture, antialiased over one pixel.
float roundedSquare(float x, float y, float size) {
    const float radius = 0.2f * size, half = 0.5f * size;
    const float dx = std::max(0.0f, std::abs(x - half) - (half - radius));
    const float dy = std::max(0.0f, std::abs(y - half) - (half - radius));
    return std::clamp(radius - std::sqrt(dx * dx + dy * dy) + 0.5f, 0.0f, 1.0f);
}

// Deep blue at the centre falling to black, with the same stars (in picture fractions) at every size
// large enough to show them.
void paintSpace(Picture& picture) {
    const float size = static_cast<float>(picture.width);
    struct Star {
        float u, v, brightness;
    };
    Star stars[40];
    Rng rng(2005);
    for (Star& star : stars) star = {float(rng.unit()), float(rng.unit()), float(rng.range(0.3, 1.0))};
    const bool starry = picture.width >= 48;
    const float starSigma = std::max(0.6f, size / 300.0f);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float r = std::hypot(px / size - 0.5f, py / size - 0.45f) / 0.75f;
            const float fall = std::clamp(1.0f - r, 0.0f, 1.0f);
            float light = 0.0f;
            for (const Star& star : stars) {
                if (!starry) break;
                const float dx = px - star.u * size, dy = py - star.v * size;
                light += star.brightness * std::exp(-(dx * dx + dy * dy) / (2.0f * starSigma * starSigma));
            }
            uint8_t* out = picture.at(x, y);
            out[0] = toByte(0.01f + 0.07f * fall * fall + 0.8f * light);
            out[1] = toByte(0.01f + 0.10f * fall * fall + 0.85f * light);
            out[2] = toByte(0.04f + 0.26f * fall * fall + light);
            out[3] = toByte(roundedSquare(px, py, size));
        }
}

// Bold letters of the given cap height, narrowed where needed to fit `width`; returns the x scale.
bool sizeLetters(FontFace& face, const std::string& text, float capHeight, float width, float tracking) {
    const float em = capHeight / capHeightPerEm(face);
    if (!face.setSize(em)) return false;
    const float natural = face.textWidth(text, tracking * em);
    const float scale = natural > width ? width / natural : 1.0f;
    return face.setSize(em, scale);
}

// The logo's chrome and halo added (as the demo draws its logos) onto the space, inside the square.
void addLogo(Picture& picture, const Picture& logo) {
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            uint8_t* out = picture.at(x, y);
            const uint8_t* in = logo.at(x, y);
            for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(std::min(255, out[c] + in[c] * in[3] / 255));
        }
}
}  // namespace

bool makeIcon(int size, Picture& out) {
    const float s = static_cast<float>(size);
    const bool withName = size >= 64, withRule = size >= 32;
    LogoCanvas canvas = makeCanvas(size, size, 1.0f);
    canvas.detail = std::clamp(s / 160.0f, 0.25f, 1.0f);
    const float capHeight = (withName ? 0.34f : withRule ? 0.42f : 0.5f) * s;
    const float baseline = withName ? 0.58f * s : withRule ? 0.64f * s : 0.5f * s + 0.5f * capHeight;
    FontFace bold, light;
    if (!bold.open(letteringBold) || !light.open(letteringRegular)) return false;
    const float tracking = 0.03f * capHeight / capHeightPerEm(bold);
    if (!sizeLetters(bold, "ORX", capHeight, (withRule ? 0.86f : 0.94f) * s, 0.03f)) return false;
    drawCentred(bold, "ORX", 0.5f, baseline, tracking, canvas.letters);
    if (withRule) {
        const float top = baseline + 0.07f * s, thickness = std::max(1.0f, 0.012f * s);
        drawBar(canvas.accents, 0.18f * s, 0.82f * s, top, top + thickness);
    }
    if (withName) {
        if (!sizeLetters(light, "H A L V E X", 0.085f * s, 0.7f * s, 0.0f)) return false;
        drawCentred(light, "H A L V E X", 0.5f, 0.84f * s, 0.0f, canvas.accents);
    }
    // Below 32 pixels a halo would fill the one-pixel gaps between the strokes: the letters stay bare.
    const Picture logo = composeLogo(canvas, baseline - capHeight, baseline, withRule ? 0.035f * s : 0.3f);
    out = Picture(size, size, 4);
    paintSpace(out);
    addLogo(out, logo);
    return true;
}

bool writeIcons(const std::string& iconDir) {
    for (int size : iconSizes) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const std::string path = iconDir + "/hicolor/" + folder + "/apps/halvex.png";
        Picture icon;
        if (!makeIcon(size, icon) || !makeParentFolders(path) ||
            !writePng(path, icon.width, icon.height, icon.channels, icon.pixels.data()))
            return false;
    }
    return true;
}
