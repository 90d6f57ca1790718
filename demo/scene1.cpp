// Scene 1, the first 130 s: the title card, then the flight through space past the sun, the ship and
// the station module, with the 2D logo over the opening, the particle emitters and the closing fade.
#include "services/demo_clock.h"
#include "services/settings.h"
#include "demo/billboard.h"
#include "demo/per_frame_steps.h"
#include "demo/render_state.h"
#include "demo/scene_state.h"
#include "demo/scene_textures.h"
#include "demo/scenes.h"
#include "effects/font.h"
#include "effects/logo.h"
#include "effects/overlays.h"
#include "effects/projection.h"
#include "effects/sky_box.h"
#include "image/gl_api.h"
#include "math/catmull_rom.h"
#include "model/demo_models.h"
#include "particles/emitter_spawn.h"
#include "particles/particle_system.h"
#include "sound/sound.h"

namespace {
// Control points of the paths; each table is fixed for the whole run.
const Vector3 cameraPath1[6] = {{-2000, 1000, -2000}, {-2000, 1000, -2000}, {-1000, 100, 0},
                                {1000, 100, 0},       {1300, -1000, 300},   {1300, 1000, 300}};
const Vector3 cameraPath2[4] = {{-1300, -1000, 300}, {1300, -1000, 300}, {400, 150, 200}, {400, 150, 200}};
const Vector3 targetPath[4] = {{0, 0, 0}, {0, 0, 0}, {380, 28, 0}, {380, 28, 0}};
const Vector3 shipPath[4] = {{1300, -1000, 300}, {1270, -960, 290}, {380, 150, 0}, {300, 150, 0}};
const Vector3 cameraPath3[4] = {{400, 150, 200}, {400, 150, 200}, {400, 40, 50}, {400, 40, 50}};
const Vector3 modulePath[4] = {{380, 150, 0}, {380, 150, 0}, {365, 28, -7}, {365, 28, -7}};

constexpr double titleEndMs = 3500.0;
constexpr double logoEndMs = 25000.0;
constexpr double logoZoomStartMs = 22000.0;
constexpr double puffSilentUntilMs = 5000.0;
constexpr double spinStartMs = 60000.0;
constexpr double shipPathStartMs = 75000.0;
constexpr double turnStartMs = 95000.0;
constexpr double moduleStartMs = 105000.0;
constexpr double closingFadeStartMs = 127000.0;

void lookFromCamera() {
    gluLookAt(cameraEye.x, cameraEye.y, cameraEye.z, cameraTarget.x, cameraTarget.y, cameraTarget.z, 0.0, 1.0, 0.0);
}

void drawShip(double a) {
    glPushMatrix();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_LIGHTING);
    glTranslatef(shipPosition.x, shipPosition.y, shipPosition.z);
    if (a > spinStartMs && a < shipPathStartMs) {
        shipSpinAngle = static_cast<float>((a - spinStartMs) * 0.024);
        glRotatef(shipSpinAngle, 1.0f, 1.0f, 0.0f);
    }
    if (a > shipPathStartMs) {
        // Computed after the translation and the camera were set: they show from the next frame on.
        // Tested after the rounding to float: a v just under 1 would round to 1 and put the eye and
        // the target both at the origin, which leaves no view at all.
        const float v = static_cast<float>((a - shipPathStartMs) * 0.00005);
        if (v < 1.0f) {
            shipPosition = splinePoint(shipPath, 4, v);
            cameraEye = splinePoint(cameraPath2, 4, v);
            cameraTarget = splinePoint(targetPath, 4, v);
        }
        if (a > turnStartMs && a < moduleStartMs) {
            shipTurnAngle = static_cast<float>((a - turnStartMs) * 0.018);
            glRotatef(shipTurnAngle, 1.0f, 0.0f, 1.0f);
        }
        if (a > moduleStartMs) glRotatef(180.0f, 1.0f, 0.0f, 1.0f);
    }
    glScalef(0.2f, 0.2f, 0.2f);
    glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
    shipModel.draw();
    glDisable(GL_LIGHTING);
    glPopMatrix();
}

void drawModule(double a) {
    cameraTarget = Vector3{380.0f, 28.0f, 0.0f};
    shipPosition = Vector3{380.0f, 150.0f, 0.0f};
    const float w = static_cast<float>((a - moduleStartMs) * 0.00004);
    if (w < 1.0f) {
        cameraEye = splinePoint(cameraPath3, 4, w);
        modulePosition = splinePoint(modulePath, 4, w);
    }
    glPushMatrix();
    glTranslatef(modulePosition.x, modulePosition.y, modulePosition.z);
    glScalef(0.02f, 0.02f, 0.02f);
    moduleModel.draw();
    glPopMatrix();
    drawSunGlow(modulePosition, 20.0f, 0.0f, 1.0f, 1.0f);
}

// The particles hang in a space fixed to the camera, particleEye in front of it.
void drawParticles(double a) {
    setPerspectiveView(0);
    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glTranslatef(-particleEye.x, -particleEye.y, -particleEye.z);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    bindSceneImage(sunSlot);
    for (Particle* particle = particleSystem.head; particle; particle = particle->next) particle->draw();
    if (emitterSpawnTimer.elapsedMs() > emitterSpawnInterval) {
        particleSystem.spawnRandomEmitter();
        emitterSpawnTimer.restart();
        if (soundEnabled && a > puffSilentUntilMs) playPuffSound();
    }
    particleSystem.updateAll();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glPopMatrix();
}

void drawSpaceScene(double a) {
    setPerspectiveView(0);
    const double u = (a - titleEndMs) * 0.00005;
    if (static_cast<float>(u) < 3.0f) cameraEye = splinePoint(cameraPath1, 6, static_cast<float>(u));
    lookFromCamera();

    glPushMatrix();
    glDisable(GL_LIGHTING);
    glCallList(skyBoxList);
    glEnable(GL_LIGHTING);
    glPopMatrix();

    glPushMatrix();
    glDisable(GL_LIGHTING);
    spaceModel.draw();
    glPopMatrix();

    drawSunGlow(Vector3{0.0f, 0.0f, 0.0f}, 450.0f, 1.0f, 1.0f, 0.0f);
    drawShip(a);
    if (a > moduleStartMs) drawModule(a);
    drawParticles(a);
}

void drawTitleCard(double a) {
    setOrthoView(0);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    printText(0, 0.5f, 0.55f, 0.025f, 0.05f, "ODA MERVIK PRESENT'S");
    printText(0, 0.5f, 0.45f, 0.025f, 0.05f, "A MULTIMEDIAL OPENGL BASED DEMO");
    if (a < 1000.0) fadeFromBlack(1000.0, a);
    if (a > 3000.0) fadeToBlack(500.0, a - 3000.0);
}

void drawOpeningLogo(double a) {
    if (a < logoEndMs) {
        if (soundEnabled && !effect1Started) {
            playEffect1Sound();
            effect1Started = true;
        }
        setOrthoView(0);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        beginAdditiveOverlay(GL_SRC_ALPHA);
        bindSceneImage(orxLogoSlot);
        glPushMatrix();
        if (a > logoZoomStartMs) {
            // Scaled about the screen's lower-left corner, growing once per frame by what the 60 Hz
            // frames over the frame's span would have added.
            glScalef(logoZoom, logoZoom, logoZoom);
            logoZoom = logoZoomAfterFrame(logoZoom, referenceFrames(demoStepMs), a - logoZoomStartMs);
        }
        glTranslatef(0.09f, 0.1f, 0.0f);
        glCallList(orxLogoList);
        glPopMatrix();
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
    }
    if (a < 6500.0) fadeFromBlack(3000.0, a - titleEndMs);
}
}  // namespace

int drawScene1(double a) {
    // The tests are strict: at exactly 3500 ms neither the title nor the space scene is drawn.
    if (a > titleEndMs) drawSpaceScene(a);
    if (a < titleEndMs) drawTitleCard(a);
    if (a > titleEndMs) drawOpeningLogo(a);
    if (a > closingFadeStartMs) fadeToBlack(3000.0, a - closingFadeStartMs);
    return 1;
}
