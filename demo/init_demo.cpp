// initDemo: the context first, then the render state and the assets in a fixed order, the clock last
// but one and the texture units last. No step tests a loader's result: loaders report their own faults.
#include "demo/init_demo.h"

#include "demo/render_state.h"

#include "services/demo_clock.h"
#include "services/load_phases.h"
#include "services/message_box.h"
#include "platform/platform_gl_lookup.h"
#include "platform/quit_request.h"
#include "platform/signals.h"
#include "services/settings.h"
#include "demo/demo_images.h"
#include "demo/rehearsal.h"
#include "demo/scene_textures.h"
#include "effects/font.h"
#include "effects/logo.h"
#include "effects/sky_box.h"
#include "image/gl_api.h"
#include "image/gl_entry_points.h"
#include "image/texture.h"
#include "model/demo_models.h"
#include "particles/particle_system.h"
#include "sound/sound.h"

namespace {
constexpr const char* noMultitextureMessage =
    "Ovladač OpenGL nepodporuje multitexturing (GL_ARB_multitexture), demo nemůže běžet.";
}

void setFixedRenderState() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glPolygonMode(GL_FRONT, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
}

void setMaterialAndLights() {
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const float dim[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    const float blue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    const float light0Position[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    // 299, not 300: the light sits just off the ship path's end point.
    const float light1Position[4] = {1300.0f, -1000.0f, 299.0f, 1.0f};

    setFrontMaterial(white);
    // The modelview is still the identity, so both positions are in eye space.
    setLight(GL_LIGHT0, black, dim, white, light0Position);
    setLight(GL_LIGHT1, black, dim, blue, light1Position);
}

void loadImageTables() {
    const char* skyFiles[skyImageCount] = {"sky1.jpg", "sky2.jpg", "sky3.jpg", "sky4.jpg", "sky5.jpg", "sky6.jpg"};
    for (int slot = 0; slot < skyImageCount; ++slot) createImageTexture(skyImages, skyFiles[slot], slot);

    createImageTextureWithAlpha(sceneImages, "orx.tga", 0);
    createImageTexture(sceneImages, "sun.jpg", 1);
    createImageTexture(sceneImages, "mrak.jpg", 2);
    createImageTexture(sceneImages, "slunce.jpg", 3);
    createImageTexture(sceneImages, "spirala.jpg", 4);
    createImageTextureWithAlpha(sceneImages, "qm.tga", 5);
    createImageTextureWithAlpha(sceneImages, "font.tga", 6);
}

void loadModels() {
    spaceModel.load("data/3ds/vesmir.3ds", nullptr);
    shipModel.load("data/3ds/lod.3ds", nullptr);
    moduleModel.load("data/3ds/modul.3ds", nullptr);
    terrainModel.load("data/3ds/teren.3ds", "detail2.jpg");
    logoModel.load("data/3ds/orx.3ds", nullptr);
}

void loadParticleSystem() {
    // The sprite paths are given whole, with the backslashes they have always had.
    particleSystem.addHeadTexture("data\\textury\\head02.tga");
    particleSystem.addSmokeTexture("data\\textury\\smoke02.tga");
    for (int i = 0; i < 3; ++i) particleSystem.spawnRandomEmitter();
}

// Without the multitexture pair the user is told why, and the program ends through the quit path.
bool resolveEntryPoints() {
    if (!resolveMultitextureEntryPoints(lookupGlEntryPoint)) {
        showMessageBox(noMultitextureMessage, "Chyba");
        postQuitRequest(0);
        return false;
    }
    loadExtensionEntryPoints(lookupGlEntryPoint);
    return true;
}

void buildDisplayLists() {
    buildFont(sceneImages[fontSlot]);
    buildSkyBox(skyImages);
    buildLogoLists(sceneImages[orxLogoSlot], sceneImages[qmLogoSlot]);
}

void loadDemo() {
    markLoadPhase("render state");
    setFixedRenderState();
    setMaterialAndLights();
    markLoadPhase("images");
    loadImageTables();
    // After a signal the rest is left out, as without the multitexture pair: the main loop ends before
    // the first frame and the shutdown releases what was loaded (and undoes a display-mode change).
    if (terminationRequested()) return;
    markLoadPhase("models");
    loadModels();
    markLoadPhase("particles");
    loadParticleSystem();
    if (terminationRequested()) return;
    // Without the multitexture pair the program is already on its way out: nothing that would call the
    // pair is built and the music is not started for a demo that will never show a frame.
    markLoadPhase("display lists");
    const bool multitexture = resolveEntryPoints();
    if (multitexture) buildDisplayLists();
    if (terminationRequested()) return;
    // Before the music starts: demo time 0 stays the music's first sample.
    markLoadPhase("rehearsal");
    if (multitexture) rehearseScenes();
    if (terminationRequested()) return;
    markLoadPhase("sound");
    if (multitexture && soundEnabled) initSound();
    markLoadPhase("clock");
    startDemoClock();
    if (multitexture) setupTextureUnits();
}

void initDemo(WindowHandle window) {
    windowHandle = window;
    createGLContext();   // also reads the client rectangle
    // Without a context no GL call may be made; the quit request createGLContext posted ends the loop
    // before the first frame.
    if (!renderContext) return;
    loadDemo();
}
