// Perspective and 2D screen-space projections.
#include "effects/projection.h"

#include "services/settings.h"
#include "image/gl_api.h"

namespace {
constexpr double fieldOfViewDegrees = 90.0;
constexpr double nearPlane = static_cast<double>(0.1f);   // the single-precision 0.1, widened
constexpr double farPlane = 120000.0;

void fullScreenViewport(int keepViewport) {
    if (keepViewport == 0) glViewport(0, 0, screenWidth, screenHeight);
}
}  // namespace

double perspectiveAspect(int width, int height, bool original) {
    if (width <= 0 || height <= 0) return 1.0;
    // The integer division is kept on request: it is the stretched look the demo had on its first systems.
    if (original) return static_cast<double>(width / height);
    return static_cast<double>(width) / static_cast<double>(height);
}

void setPerspectiveView(int keepViewport) {
    fullScreenViewport(keepViewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = perspectiveAspect(screenWidth, screenHeight, originalAspect);
    gluPerspective(fieldOfViewDegrees, aspect, nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void setOrthoView(int keepViewport) {
    fullScreenViewport(keepViewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
