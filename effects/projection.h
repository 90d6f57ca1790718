// The demo's two projections: its 3D perspective, and the 2D screen space 0..1 x 0..1 ((0, 0) at the
// bottom left). Both reset the modelview matrix and leave it as the current matrix mode.
#pragma once

// Vertical field of view 90 degrees, near 0.1, far 120000, the aspect ratio of perspectiveAspect for the
// screen and the originalAspect setting. keepViewport 0 resets the viewport to the full screen.
void setPerspectiveView(int keepViewport);
void setOrthoView(int keepViewport);

// The aspect ratio setPerspectiveView passes: width / height, the picture's true shape; with `original`
// the integer quotient the demo first used (1.0 for every mode the dialog offers, so a 4:3 picture is
// stretched a third wider). 1.0 when either side is not positive (a minimised window).
double perspectiveAspect(int width, int height, bool original);
