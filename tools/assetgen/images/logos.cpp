// The two flat logos, drawn additively (colour times alpha) over the scenes. The scenes stretch each
// picture to its own aspect (550 x 200 and 450 x 100 units), so the artwork is laid out at that aspect
// and squeezed into a power-of-two picture: FreeType draws the glyphs pre-stretched by the same factor.
// The group's mark (qm.tga) is added over the closing scene's grey fog, where only strong hues survive:
// its letters are amber and its orbit cyan, each channel pair far apart, with a tight glow.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/glyphs.h"
#include "common/image_writers.h"
#include "common/picture_ops.h"
#include "images/images.h"
#include "images/logo_art.h"

namespace {

// "ORX" in heavy chrome over a thin light rule and the spaced-out name of the demo.
bool makeOrxLogo(Picture& out) {
    LogoCanvas canvas = makeCanvas(1024, 256, 550.0f / 200.0f);
    FontFace bold, light;
    if (!bold.open(letteringBold) || !light.open(letteringRegular)) return false;
    bold.setSize(190.0f, canvas.stretch);
    drawCentred(bold, "ORX", 0.5f, 170.0f, 14.0f * canvas.stretch, canvas.letters);
    const float ruleHalf = 0.30f * canvas.width;
    drawBar(canvas.accents, 0.5f * canvas.width - ruleHalf, 0.5f * canvas.width + ruleHalf, 186.0f, 189.0f);
    light.setSize(32.0f, canvas.stretch);
    drawCentred(light, "H A L V E X", 0.5f, 226.0f, 6.0f * canvas.stretch, canvas.accents);
    out = composeLogo(canvas, 40.0f, 170.0f, 9.0f);
    return true;
}

// An antialiased elliptical stroke (centre, radii and half width in shown pixels) added to the coverage,
// left out where `gap` (a coverage) is set, so the orbit passes behind the letters.
void drawOrbit(Coverage& canvas, const Coverage& gap, float stretch, float cx, float cy, float rx, float ry, float half) {
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const float px = (x + 0.5f) / stretch - cx, py = y + 0.5f - cy;
            const float f = px * px / (rx * rx) + py * py / (ry * ry) - 1.0f;
            const float g = 2.0f * std::sqrt(px * px / (rx * rx * rx * rx) + py * py / (ry * ry * ry * ry));
            const float d = g > 0 ? std::fabs(f) / g : 1e9f;
            // The front half of the orbit (below the centre) crosses over the letters, the back half under.
            const float over = py > 0 ? 1.0f : 1.0f - std::min(1.0f, gap.at(x, y) * 3.0f);
            canvas.at(x, y) = std::max(canvas.at(x, y), std::clamp(half + 0.5f - d, 0.0f, 1.0f) * over);
        }
}

// Amber letters with a bevel lit from the upper left, a cyan orbit and wings, a tight halo.
Picture composeMark(const LogoCanvas& canvas, float capTop, float baseline) {
    const Coverage bevel = blur(canvas.letters, 2.0f * canvas.stretch, 2.0f);
    const Coverage glow = blur(canvas.letters, 5.0f * canvas.stretch, 5.0f);
    const Coverage accentGlow = blur(canvas.accents, 3.0f * canvas.stretch, 3.0f);
    Picture picture(canvas.width, canvas.height, 4);
    for (int y = 1; y + 1 < canvas.height; ++y)
        for (int x = 1; x + 1 < canvas.width; ++x) {
            const float cover = canvas.letters.at(x, y), accent = canvas.accents.at(x, y);
            const float gx = (bevel.at(x + 1, y) - bevel.at(x - 1, y)) * canvas.stretch;
            const float gy = bevel.at(x, y + 1) - bevel.at(x, y - 1);
            const float shine = std::clamp((gx + gy) * 1.6f, -0.6f, 0.7f);
            const float t = std::clamp((y - capTop) / (baseline - capTop), 0.0f, 1.0f);
            // Gold from a pale top to a deep orange foot: red stays high, blue low.
            float r = 1.0f, g = 0.72f - 0.4f * t, b = 0.1f - 0.08f * t;
            if (shine > 0) g += (0.95f - g) * shine, b += (0.7f - b) * shine;
            else r *= 1.0f + 0.6f * shine, g *= 1.0f + shine, b *= 1.0f + shine;
            const float halo = std::min(1.0f, glow.at(x, y) * 1.2f) * 0.45f;
            const float ring = std::max(accent, std::min(1.0f, accentGlow.at(x, y) * 1.5f) * 0.5f);
            // Outside the letters: the cyan of the orbit, or the letters' own orange halo.
            const bool cyan = ring >= halo;
            const float around = std::max(ring, halo);
            const float ar = cyan ? 0.15f : 1.0f, ag = cyan ? 0.7f : 0.45f, ab = cyan ? 1.0f : 0.05f;
            uint8_t* out = picture.at(x, y);
            out[0] = toByte(ar + (r - ar) * cover);
            out[1] = toByte(ag + (g - ag) * cover);
            out[2] = toByte(ab + (b - ab) * cover);
            out[3] = toByte(std::max(cover, around));
        }
    return picture;
}

// The group's mark: the monogram "QM" inside a tilted orbit, wings of light to either side.
bool makeQmLogo(Picture& out) {
    LogoCanvas canvas = makeCanvas(1024, 256, 450.0f / 100.0f);
    FontFace bold;
    if (!bold.open(letteringBold)) return false;
    bold.setSize(228.0f, canvas.stretch);
    GlyphImage h;
    if (!bold.render('H', h)) return false;
    const float baseline = 128.0f + 0.5f * static_cast<float>(h.top);
    drawCentred(bold, "QM", 0.5f, baseline, 10.0f * canvas.stretch, canvas.letters);
    const float shownWidth = canvas.width / canvas.stretch, centre = 0.5f * shownWidth;
    drawOrbit(canvas.accents, canvas.letters, canvas.stretch, centre, 130.0f, 250.0f, 60.0f, 2.2f);
    // Wings: two rules running out from the orbit, thinning and fading towards the picture's ends.
    for (int x = 0; x < canvas.width; ++x) {
        const float sx = (x + 0.5f) / canvas.stretch, fromCentre = std::fabs(sx - centre);
        if (fromCentre < 262.0f || fromCentre > 0.5f * shownWidth - 8.0f) continue;
        const float fade = 1.0f - (fromCentre - 262.0f) / (0.5f * shownWidth - 270.0f);
        for (int y = 126; y <= 134; ++y) {
            const float d = std::fabs(y + 0.5f - 130.0f);
            canvas.accents.at(x, y) = std::max(canvas.accents.at(x, y), std::clamp(1.0f + 2.0f * fade - d, 0.0f, 1.0f) * fade);
        }
    }
    out = composeMark(canvas, baseline - static_cast<float>(h.top), baseline);
    return true;
}

}  // namespace

bool writeLogos(const std::string& folder) {
    Picture orx, qm;
    return makeOrxLogo(orx) && writeTga(folder + "orx.tga", orx) && makeQmLogo(qm) && writeTga(folder + "qm.tga", qm);
}
