// Scene 3, 150 s to 189 s: the flight over the detail-textured terrain through grey exponential fog,
// with its opening and closing captions. Its fog, clear colour and light stay in force for scene 4.
#include "demo/render_state.h"
#include "demo/scene_state.h"
#include "demo/scenes.h"
#include "effects/font.h"
#include "effects/overlays.h"
#include "effects/projection.h"
#include "image/gl_api.h"
#include "math/catmull_rom.h"
#include "model/demo_models.h"

namespace {
const Vector3 terrainPath[10] = {{300, 500, 1200},  {300, 500, 1200},  {0, 600, 1000},    {-400, 600, 600},
                                 {-500, 400, 500},  {-600, 400, -500}, {-500, 700, -1500}, {1000, 900, -700},
                                 {2000, 1500, -730}, {2000, 4000, 0}};
constexpr int terrainPathSegments = 7;                 // the last segment the ten points define ends at 7
constexpr double segmentsPerMs = 0.00017857142857142857;   // one segment per 5600 ms
constexpr double targetLead = 0.1;                     // segments the target runs ahead of the eye

void setFogAndLight() {
    const float cyan[4] = {0.0f, 1.0f, 1.0f, 1.0f};
    const float lightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    const float lightDiffuse[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    const float lightSpecular[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    const float lightPosition[4] = {1000.0f, 1000.0f, 1000.0f, 1.0f};

    // Takes effect at the next frame's clear: the scene's first frame is still cleared black.
    glClearColor(0.7f, 0.7f, 0.7f, 1.0f);
    setGreyFog(0.001f);
    setFrontMaterial(cyan);
    // The modelview is the identity here, so the light sits in eye space and moves with the camera.
    setLight(GL_LIGHT1, lightAmbient, lightDiffuse, lightSpecular, lightPosition);
}

void printCaption(float y, const char* text) { printText(0, 0.5f, y, 0.02f, 0.03f, "%s", text); }
}  // namespace

int drawScene3(double a) {
    setFogAndLight();
    setPerspectiveView(0);

    const float u = static_cast<float>(a * segmentsPerMs);
    if (u < terrainPathSegments) cameraEye = splinePoint(terrainPath, 10, u);
    // Tested as the float the path receives: rounding up to the end would give the origin.
    const float ahead = static_cast<float>(u + targetLead);
    if (ahead < terrainPathSegments) cameraTarget = splinePoint(terrainPath, 10, ahead);
    gluLookAt(cameraEye.x, cameraEye.y, cameraEye.z, cameraTarget.x, cameraTarget.y, cameraTarget.z, 0.0, 1.0, 0.0);

    glPushMatrix();
    glEnable(GL_LIGHTING);
    terrainModel.draw();
    glDisable(GL_LIGHTING);
    glPopMatrix();

    if (a >= 0.0 && a < 3000.0) fadeFromBlack(3000.0, a);
    if (a > 34000.0) fadeToBlack(5000.0, a - 34000.0);

    // Drawn after the fades, so the captions stay bright while the picture goes black.
    if (a < 7000.0) {
        setOrthoView(0);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        printCaption(0.15f, "WE ARE SEARCHING FOR INTELLIGENCE");
    }
    if (a > 29000.0) {
        setOrthoView(0);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        printCaption(0.53f, "VERY HIGH INTELLIGENCE DETECTED");
        printCaption(0.47f, "ACTIVATING MEGA SPEED BOOST");
    }
    return 1;
}
