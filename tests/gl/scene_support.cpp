// Loads the demo once per test process on the offscreen context; every test starts from the
// start-up's render state and scene state.
#include "scene_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "app/counter.h"
#include "app/frame_clock.h"
#include "app/settings.h"
#include "demo/init_demo.h"
#include "demo/scene_state.h"
#include "image/gl_api.h"
#include "particles/emitter_spawn.h"
#include "particles/particle_system.h"
#include "support/gl_test_context.h"
#include "support/message_recorder.h"
#include "support/sound_recorder.h"

namespace {
// The virtual counter runs at the real counter's frequency, so Timers constructed before it was
// installed (the spawn timer) still convert its counts correctly.
int64_t countsPerSecond = 1000000;
bool loaded = false;

bool hasDataSet() {
    struct stat info {};
    return stat("data/textury/font.tga", &info) == 0 && stat("data/3ds/teren.3ds", &info) == 0;
}

}  // namespace

// The build folder holds data/: HALVEX_BUILD_DIR when set, else the parent of the tests' folder.
bool moveToDataFolder() {
    char start[4096] = {};
    if (!getcwd(start, sizeof start)) return false;
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    for (const char* folder : {build, "..", "."}) {
        if (folder && chdir(start) == 0 && chdir(folder) == 0 && hasDataSet()) return true;
    }
    std::fprintf(stderr, "the generated data set (data/ of the build folder) is missing\n");
    return false;
}

bool prepareDemo(int width, int height) {
    if (!makeGlTestContext(width, height)) return false;
    if (!loaded) {
        if (!moveToDataFolder()) return false;
        recordMessageBoxes();
        recordSoundCalls();
        if (!counterFrequency(countsPerSecond) || countsPerSecond <= 0) countsPerSecond = 1000000;
        installVirtualCounter(countsPerSecond);
        soundEnabled = false;
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        loadDemo();
        loaded = true;
    }
    soundEnabled = false;
    resetDemoState();
    clearSoundCalls();
    return true;
}

void resetDemoState() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, screenWidth, screenHeight);
    setFixedRenderState();
    setMaterialAndLights();
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    glFrontFace(GL_CCW);
    glColor4f(1, 1, 1, 1);
    setupTextureUnits();
    resetSceneState();
    startDemoClock();
    emitterSpawnTimer.restart();
}

void drawSceneFrame(int (*scene)(double), double sceneMs) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    scene(sceneMs);
    glFinish();
}

void advanceMs(double ms) {
    advanceVirtualCounter(static_cast<int64_t>(ms * static_cast<double>(countsPerSecond) / 1000.0));
}

Rgb Frame::at(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

double Frame::meanBrightness(int x0, int y0, int x1, int y1) const {
    double sum = 0.0;
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const Rgb c = at(x, y);
            sum += c.r + c.g + c.b;
            ++n;
        }
    return n ? sum / n : 0.0;
}

int Frame::brightestChannel() const {
    int best = 0;
    for (unsigned char c : rgb) best = c > best ? c : best;
    return best;
}

Frame readFrame() {
    Frame frame;
    frame.width = screenWidth;
    frame.height = screenHeight;
    frame.rgb.resize(static_cast<size_t>(frame.width) * frame.height * 3);
    glFinish();
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
    return frame;
}

const std::vector<std::string>& soundCalls() { return recordedSoundCalls(); }

void clearSoundCalls() { recordSoundCalls(); }

int particleCount() {
    int n = 0;
    for (Particle* p = particleSystem.head; p; p = p->next) ++n;
    return n;
}

void restorePlainGlState() {
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_DEPTH_TEST);
    if (glActiveTextureARB) {
        glActiveTextureARB(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    glDisable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glFrontFace(GL_CCW);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, screenWidth, screenHeight);
}

void SceneTest::TearDown() {
    soundEnabled = false;
    restorePlainGlState();
}
