// Full-screen overlays in the 0..1 screen space: fades to and from black, and the motion-blur texture.
#pragma once

// The texture the motion-blur scene copies its 512 x 512 frame into; 0 (the default texture object)
// until that scene gives it a name.
extern unsigned int blurTexture;

// Black over the whole screen at opacity elapsed / duration (milliseconds); a duration that is not
// positive counts as an elapsed fade (opacity 1). Leaves depth test and 2D texturing on, blending off.
void fadeToBlack(double duration, double elapsed);
// The same at opacity 1 - elapsed / duration (0 for a duration that is not positive).
void fadeFromBlack(double duration, double elapsed);

// blurTexture over the viewport, added, its rectangle inset by frameMs x 0.002 on every side (a zoom in
// that grows with the frame time). Its opacity is 0.99 for each 60 Hz frame the picture stands for
// (0.99 to the power referenceFrames), so the trail fades at the same pace at any frame rate. Keeps the
// caller's viewport.
void drawZoomBlur(float frameMs, float referenceFrames);
// 0.99 to the power referenceFrames; exactly 0.99 for one frame.
float zoomBlurOpacity(float referenceFrames);
// blurTexture over the viewport at opacity 0.9, added, unzoomed.
void drawBlurTexture();

// The opacities the fades draw with.
float fadeToBlackOpacity(double duration, double elapsed);
float fadeFromBlackOpacity(double duration, double elapsed);
