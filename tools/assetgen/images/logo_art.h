// The logos' look, shared by the flat logos (orx.tga, qm.tga) and the application icon.
#pragma once
#include <string>

#include "common/glyphs.h"
#include "common/image_writers.h"

// A logo under construction, in picture pixels; `stretch` is picture pixels per shown pixel along x.
struct LogoCanvas {
    int width, height;
    float stretch;
    Coverage letters, accents;   // chrome letters; thin glowing decorations
    float detail = 1.0f;         // scales the bevel and accent blur: small pictures need finer ones
};

LogoCanvas makeCanvas(int width, int height, float shownAspect);

// Separable Gaussian blur with separate radii (sigma in picture pixels) along x and y.
Coverage blur(const Coverage& source, float sigmaX, float sigmaY);

// Turns the letter and accent coverages into the RGBA picture. `metalTop` and `metalBottom` are the
// rows between which the chrome gradient runs (the cap height of the big letters).
Picture composeLogo(const LogoCanvas& canvas, float metalTop, float metalBottom, float glowSigma);

// Draws a text centred at shown-space x (0..1 of the width) on the given baseline row.
void drawCentred(const FontFace& face, const std::string& text, float centre, float baseline, float tracking,
                 Coverage& canvas);

// An antialiased filled rectangle (picture pixels) added to the coverage.
void drawBar(Coverage& canvas, float x0, float x1, float y0, float y1);
