// The closing credits: 23 lines that scroll up from below the screen, faster and faster.
#pragma once

// One line of the block: its height above creditsScroll (screen heights) and its glyph size.
struct CreditLine {
    float offset;       // screen heights above creditsScroll
    const char* text;
    float glyphWidth;   // screen widths per glyph cell
    float glyphHeight;  // screen heights per glyph cell
};

constexpr int creditLineCount = 23;
constexpr float startCreditsScroll = -0.7f;   // screen heights: the block starts below the screen
constexpr double creditsStartMs = 20000.0;    // scene-4 time at which the credits begin
extern const CreditLine creditLines[creditLineCount];

// t: ms since the credits began. Moves the block by what 60 Hz frames would have moved it over the
// frame's span of demo time (each such frame adds t x 2e-8) and draws every line.
void drawCredits(float t);

// The scroll after one more frame at credits time t (ms) that spans `frames` 60 Hz frames, in the float
// steps drawCredits takes; with frames 1 exactly the original per-frame step.
float creditsScrollAfterFrame(float scroll, float t, float frames);
