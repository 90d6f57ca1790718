// The two flat logos, drawn additively (colour times alpha) over the scenes: chrome letters with a bevel
// and a blue glow carried in the alpha channel. The scenes stretch each picture to its own aspect
// (550 x 200 and 450 x 100 units), so the artwork is laid out at that aspect and squeezed into a
// power-of-two picture: FreeType draws the glyphs pre-stretched by the same factor.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/glyphs.h"
#include "common/image_writers.h"
#include "images/images.h"
#include "images/logo_art.h"

namespace {

// "ORX" in heavy chrome over a thin light rule and the spaced-out name of the demo.
bool makeOrxLogo(Picture& out) {
    LogoCanvas canvas = makeCanvas(1024, 256, 550.0f / 200.0f);
    FontFace bold, light;
    if (!bold.open("DejaVuSans-Bold.ttf") || !light.open("DejaVuSans.ttf")) return false;
    bold.setSize(176.0f, canvas.stretch);
    drawCentred(bold, "ORX", 0.5f, 170.0f, 14.0f * canvas.stretch, canvas.letters);
    const float ruleHalf = 0.30f * canvas.width;
    drawBar(canvas.accents, 0.5f * canvas.width - ruleHalf, 0.5f * canvas.width + ruleHalf, 186.0f, 188.0f);
    light.setSize(30.0f, canvas.stretch);
    drawCentred(light, "H A L V E X", 0.5f, 224.0f, 6.0f * canvas.stretch, canvas.accents);
    out = composeLogo(canvas, 40.0f, 170.0f, 9.0f);
    return true;
}

// The group's mark: a big "QM" monogram, a glowing divider, and the name spelled out.
bool makeQmLogo(Picture& out) {
    LogoCanvas canvas = makeCanvas(1024, 256, 450.0f / 100.0f);
    FontFace bold;
    if (!bold.open("DejaVuSans-Bold.ttf")) return false;
    FontFace name;
    if (!name.open("DejaVuSans-Bold.ttf")) return false;
    bold.setSize(190.0f, canvas.stretch);
    name.setSize(62.0f, canvas.stretch);
    const float gap = 28.0f * canvas.stretch, bar = 3.0f * canvas.stretch;
    const float monogramWidth = bold.textWidth("QM", 6.0f * canvas.stretch);
    const float nameWidth = std::max(name.textWidth("QUANTUM", 10.0f * canvas.stretch),
                                     name.textWidth("MOTION", 10.0f * canvas.stretch));
    const float left = 0.5f * (canvas.width - (monogramWidth + 2.0f * gap + bar + nameWidth));
    bold.drawText("QM", left, 196.0f, 6.0f * canvas.stretch, canvas.letters);
    const float divider = left + monogramWidth + gap;
    drawBar(canvas.accents, divider, divider + bar, 52.0f, 204.0f);
    const float nameLeft = divider + bar + gap;
    name.drawText("QUANTUM", nameLeft, 118.0f, 10.0f * canvas.stretch, canvas.letters);
    name.drawText("MOTION", nameLeft, 192.0f, 10.0f * canvas.stretch, canvas.letters);
    out = composeLogo(canvas, 56.0f, 196.0f, 8.0f);
    return true;
}

}  // namespace

bool writeLogos(const std::string& folder) {
    Picture orx, qm;
    return makeOrxLogo(orx) && writeTga(folder + "orx.tga", orx) && makeQmLogo(qm) && writeTga(folder + "qm.tga", qm);
}
