// The demo's two projections: its 3D perspective, and the 2D screen space 0..1 x 0..1 ((0, 0) at the
// bottom left). Both reset the modelview matrix and leave it as the current matrix mode.
#pragma once

// Field of view 90 degrees, near 0.1, far 120000; the aspect ratio is the integer quotient of the screen
// sides (1.0 for every mode the dialog offers). keepViewport 0 resets the viewport to the full screen.
void setPerspectiveView(int keepViewport);
void setOrthoView(int keepViewport);

// The aspect ratio setPerspectiveView passes: screenWidth / screenHeight in integers; 1.0 when either side
// is not positive (a minimised window must never reach the division).
double perspectiveAspect(int width, int height);
