// Scene 4, from 189 s for as long as the program runs: the camera comes out of the grey fog to the 3D
// logo and circles it in endless laps; the flat second logo shows for 20 s; then the credits scroll.
#include "demo/credits.h"
#include "demo/render_state.h"
#include "demo/scene_state.h"
#include "demo/scene_textures.h"
#include "demo/scenes.h"
#include "effects/overlays.h"
#include "effects/projection.h"
#include "effects/logo.h"
#include "image/gl_api.h"
#include "math/catmull_rom.h"
#include "model/demo_models.h"

namespace {
const Vector3 approachPath[4] = {{-6000, -1500, -6000}, {-6000, 400, -6000}, {-500, 400, -500}, {-500, -1500, -500}};
const Vector3 orbitPath[8] = {{-500, 400, -500}, {-500, 400, -500}, {1000, 300, -700}, {800, 600, 600},
                              {-500, 200, 500},  {-500, 400, -500}, {-500, 400, -500}, {1000, 300, -700}};
constexpr double approachEndMs = 5000.0;
constexpr double segmentsPerMs = 0.0002;   // one path segment per 5000 ms
constexpr int segmentsPerLap = 5;
constexpr double secondLogoEndMs = 25000.0;

void setFogAndLights() {
    const float cyan[4] = {0.0f, 1.0f, 1.0f, 1.0f};
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const float dim[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float blue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    const float halfGrey[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    const float light0Position[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    const float light1Position[4] = {1000.0f, 1000.0f, 1000.0f, 1.0f};

    // The clear colour is left alone: it stays the grey that scene 3 set.
    setGreyFog(0.0002f);
    setFrontMaterial(cyan);
    // Both positions are given under the identity modelview, in eye space.
    setLight(GL_LIGHT0, black, dim, white, light0Position);
    setLight(GL_LIGHT1, halfGrey, dim, blue, light1Position);
}

// The approach, then endless laps. The frame in which a lap ends only counts it: the eye stays put.
void moveCamera(double a) {
    if (a < approachEndMs) {
        // Just before the end the parameter can round up to 1, where the path gives the origin.
        const float t = static_cast<float>(a * segmentsPerMs);
        if (t < 1.0f) cameraEye = splinePoint(approachPath, 4, t);
        return;
    }
    const float v = static_cast<float>((a - approachEndMs) * segmentsPerMs - segmentsPerLap * orbitLap);
    if (v < segmentsPerLap) cameraEye = splinePoint(orbitPath, 8, v);
    if (v > segmentsPerLap) orbitLap = orbitLap + 1;
}

void drawSecondLogo() {
    setOrthoView(0);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    beginAdditiveOverlay(GL_SRC_ALPHA);
    glPushMatrix();
    glDisable(GL_FOG);   // only around the logo: the scene keeps its fog
    glTranslatef(0.16f, 0.7f, 0.0f);
    glCallList(qmLogoList);
    glEnable(GL_FOG);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
}  // namespace

int drawScene4(double a) {
    setFogAndLights();
    setPerspectiveView(0);
    moveCamera(a);
    gluLookAt(cameraEye.x, cameraEye.y, cameraEye.z, 0.0, 100.0, 0.0, 0.0, 1.0, 0.0);

    glPushMatrix();
    glEnable(GL_LIGHTING);
    logoModel.draw();
    glDisable(GL_LIGHTING);
    glPopMatrix();

    if (a >= 0.0 && a < approachEndMs) fadeFromBlack(5000.0, a);
    if (a > creditsStartMs) drawCredits(static_cast<float>(a - creditsStartMs));
    // The credits are drawn first, so from 20 s to 25 s the logo lies over them.
    if (a > approachEndMs && a < secondLogoEndMs) drawSecondLogo();
    return 1;
}
