// A rehearsal of the four scenes while loading. Without it the first frame with a new combination of
// render state (the space scene at 3.5 s, the module at 105 s, the captions and fades under scene 3's
// fog, the second logo and credits of scene 4) stalls for the rasteriser's compiler. The moments are
// chosen to meet every combination the scenes use; their pictures are thrown away.
#include "demo/rehearsal.h"

#include <initializer_list>

#include "services/settings.h"
#include "demo/render_state.h"
#include "demo/scene_state.h"
#include "demo/scenes.h"
#include "image/gl_api.h"
#include "particles/emitter_spawn.h"
#include "particles/particle_system.h"

namespace {
struct Moment {
    int (*scene)(double sceneMs);
    double sceneMs;
};
// Title with fade; space scene with logo and fade; module with glow; closing fade. The blur's first
// frame and its fade; the terrain bare, faded with a caption, then with the closing captions; the
// logo's approach, the second logo, and the credits.
constexpr Moment moments[] = {
    {drawScene1, 500.0},   {drawScene1, 5000.0},  {drawScene1, 110000.0}, {drawScene1, 128000.0},
    {drawScene2, 0.0},     {drawScene2, 1000.0},  {drawScene3, 0.0},      {drawScene3, 1000.0},
    {drawScene3, 35000.0}, {drawScene4, 1000.0},  {drawScene4, 10000.0},  {drawScene4, 22000.0},
};
constexpr int rehearsalWidth = 64, rehearsalHeight = 48;   // pixels: the programs are what counts

// What the scenes change outside the GL state and the shared scene state.
struct Offstage {
    bool sound;
    int width, height;
    Timer spawnTimer;
    Particle* particles;
};

Offstage clearTheStage() {
    const Offstage kept = {soundEnabled, screenWidth, screenHeight, emitterSpawnTimer, particleSystem.head};
    soundEnabled = false;   // nothing is heard, and no once-flag of a sound is set
    screenWidth = rehearsalWidth;
    screenHeight = rehearsalHeight;
    emitterSpawnTimer.restart();   // no emitter is spawned: that would draw on the random generator
    particleSystem.head = nullptr;  // and none is moved
    return kept;
}

void restoreTheStage(const Offstage& kept) {
    soundEnabled = kept.sound;
    screenWidth = kept.width;
    screenHeight = kept.height;
    emitterSpawnTimer = kept.spawnTimer;
    particleSystem.head = kept.particles;
    resetSceneState();
}

void pushMatrices() {
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glPushMatrix();
    }
}

void popMatrices() {
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glPopMatrix();
    }
}

// The blur's copies gave the default texture an image and nearest filtering; with the default filters
// back it is incomplete again, as the blur's first frame expects.
void restoreBlurTextureFilters() {
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}
}  // namespace

void rehearseScenes() {
    if (!glActiveTextureARB || !glMultiTexCoord2fARB) return;
    const Offstage kept = clearTheStage();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    pushMatrices();
    setupTextureUnits();   // the units as the scenes find them
    for (const Moment& m : moments) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        m.scene(m.sceneMs);
    }
    restoreBlurTextureFilters();
    glFinish();   // the last programs compiled now, not in the first frame
    popMatrices();
    glPopAttrib();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    restoreTheStage(kept);
}
