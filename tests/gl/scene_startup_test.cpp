// The start-up and the shutdown, each in a process of its own (the shutdown destroys the window): the
// render state, assets, emitters, texture units and sound sequence of loadDemo; the quit path without
// multitexturing; the release order with sound on and off.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/counter.h"
#include "app/frame_clock.h"
#include "app/quit_request.h"
#include "app/settings.h"
#include "app/window.h"
#include "demo/demo_images.h"
#include "demo/init_demo.h"
#include "demo/shutdown.h"
#include "effects/font.h"
#include "effects/sky_box.h"
#include "image/gl_api.h"
#include "image/gl_entry_points.h"
#include "model/demo_models.h"
#include "particles/particle_system.h"
#include "scene_support.h"
#include "support/gl_test_context.h"
#include "support/message_recorder.h"
#include "sound/sound_preload.h"
#include "support/sound_recorder.h"

namespace {
// Failed checks of a child process, told on its standard error; the exit code is their number.
int failures = 0;
#define CHILD_CHECK(condition)                                                                   \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);   \
            ++failures;                                                                          \
        }                                                                                        \
    } while (0)

bool near(float a, float b) { return a > b - 1e-4f && a < b + 1e-4f; }

bool sameVector(const float* got, std::vector<float> want) {
    for (size_t i = 0; i < want.size(); ++i)
        if (!near(got[i], want[i])) return false;
    return true;
}

// A fresh context in the build folder, with message boxes and sound calls recorded.
bool startChild() {
    if (!makeGlTestContext(256, 256)) return false;
    if (!moveToDataFolder()) return false;
    recordMessageBoxes();
    recordSoundCalls();
    installVirtualCounter(1000000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return true;
}

size_t indexOf(const std::vector<std::string>& lines, const std::string& prefix) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0) return i;
    return lines.size();
}

void checkRenderState() {
    GLint shade = 0, polygon[2] = {}, activeUnit = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    glGetIntegerv(GL_POLYGON_MODE, polygon);
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &activeUnit);
    CHILD_CHECK(shade == GL_SMOOTH);
    CHILD_CHECK(polygon[0] == GL_FILL);
    CHILD_CHECK(glIsEnabled(GL_DEPTH_TEST));
    CHILD_CHECK(activeUnit == GL_TEXTURE1_ARB);   // unit 1 stays active after the start-up
    for (GLenum hint : {GL_PERSPECTIVE_CORRECTION_HINT, GL_POINT_SMOOTH_HINT, GL_LINE_SMOOTH_HINT,
                        GL_POLYGON_SMOOTH_HINT}) {
        GLint value = 0;
        glGetIntegerv(hint, &value);
        CHILD_CHECK(value == GL_NICEST);
    }
    GLfloat clear[4] = {}, v[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    CHILD_CHECK(sameVector(clear, {0, 0, 0, 1}));
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, v);
    CHILD_CHECK(sameVector(v, {1, 1, 1, 1}));
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v);
    CHILD_CHECK(sameVector(v, {0, 0, 0, 1}));
    glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
    CHILD_CHECK(near(v[0], 10));
    CHILD_CHECK(glIsEnabled(GL_COLOR_MATERIAL) && glIsEnabled(GL_LIGHTING));
    CHILD_CHECK(glIsEnabled(GL_LIGHT0) && glIsEnabled(GL_LIGHT1));
    glGetLightfv(GL_LIGHT0, GL_SPECULAR, v);
    CHILD_CHECK(sameVector(v, {1, 1, 1, 1}));
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, v);
    CHILD_CHECK(sameVector(v, {0.3f, 0.3f, 0.3f, 1}));
    glGetLightfv(GL_LIGHT1, GL_SPECULAR, v);
    CHILD_CHECK(sameVector(v, {0, 0, 1, 1}));
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, v);
    CHILD_CHECK(sameVector(v, {0, 0, 0, 1}));
    glGetLightfv(GL_LIGHT1, GL_POSITION, v);   // eye space: set under the identity modelview
    CHILD_CHECK(sameVector(v, {1300, -1000, 299, 1}));

    GLint env = 0, combine = 0, source0 = 0, source1 = 0, operand0 = 0, operand1 = 0;
    GLfloat scale = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, &combine);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, &source0);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, &source1);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, &operand0);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, &operand1);
    glGetTexEnvfv(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, &scale);
    CHILD_CHECK(env == GL_COMBINE_ARB);
    CHILD_CHECK(combine == GL_MODULATE);
    CHILD_CHECK(source0 == GL_PREVIOUS_ARB && operand0 == GL_SRC_COLOR);
    CHILD_CHECK(source1 == GL_TEXTURE && operand1 == GL_SRC_COLOR);
    CHILD_CHECK(near(scale, 2.0f));
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    CHILD_CHECK(env == GL_MODULATE);
    CHILD_CHECK(glIsEnabled(GL_TEXTURE_2D));
    glActiveTextureARB(GL_TEXTURE1_ARB);
}

void checkAssets() {
    for (int slot = 0; slot < skyImageCount; ++slot)
        CHILD_CHECK(skyImages[slot] && skyImages[slot]->pixels && glIsTexture(skyImages[slot]->texture));
    for (int slot = 0; slot < sceneImageCount; ++slot)
        CHILD_CHECK(sceneImages[slot] && sceneImages[slot]->pixels && glIsTexture(sceneImages[slot]->texture));
    CHILD_CHECK(sceneImages[0]->bytesPerPixel == 4);   // orx.tga with alpha
    CHILD_CHECK(sceneImages[1]->bytesPerPixel == 3);   // sun.jpg
    for (const Model* model : {&spaceModel, &shipModel, &moduleModel, &terrainModel, &logoModel})
        CHILD_CHECK(model->data.objectCount > 0);
    CHILD_CHECK(terrainModel.detailMode == 1 && terrainModel.textures[100]);
    CHILD_CHECK(spaceModel.detailMode == 0);
    int emitters = 0;
    for (Particle* p = particleSystem.head; p; p = p->next) ++emitters;
    CHILD_CHECK(emitters == 3);
    CHILD_CHECK(particleSystem.headTextures.count == 1 && particleSystem.smokeTextures.count == 1);
    CHILD_CHECK(fontListBase != 0 && skyBoxList != 0);
    CHILD_CHECK(glActiveTextureARB && glMultiTexCoord2fARB);
    CHILD_CHECK(demoTime == 0.0);
    CHILD_CHECK(recordedMessages().empty());   // every file of the data set was there
}

void loadWithSoundAndCheck() {
    if (!startChild()) std::exit(100);
    soundEnabled = true;
    loadDemo();
    checkRenderState();
    checkAssets();
    const auto& calls = recordedSoundCalls();
    const size_t init = indexOf(calls, "init 44100 32");
    const size_t music = indexOf(calls, "load data/sound/ikarie.mp3");
    const size_t rock = indexOf(calls, "load data/sound/rock.wav");
    const size_t play = indexOf(calls, "play ");
    CHILD_CHECK(init < music && music < rock && rock < play);
    CHILD_CHECK(play + 2 == calls.size());   // the music starts last, at volume 180
    CHILD_CHECK(calls.back().size() > 4 && calls.back().substr(calls.back().size() - 4) == " 180");
    discardPreloadedSounds();
    std::exit(failures);
}

void loadWithoutMultitexture() {
    if (!startChild()) std::exit(100);
    soundEnabled = true;
    hideGlExtensionForTest("GL_ARB_multitexture");
    loadDemo();
    CHILD_CHECK(quitRequestPending());
    CHILD_CHECK(!recordedMessages().empty() && recordedMessages().back().caption == "Chyba");
    CHILD_CHECK(!glActiveTextureARB);
    CHILD_CHECK(fontListBase == 0 && skyBoxList == 0);   // nothing that would call the pair was built
    CHILD_CHECK(recordedSoundCalls().empty());          // and no music starts for a demo that quits
    discardPreloadedSounds();
    std::exit(failures);
}

void shutDown(bool sound) {
    if (!startChild()) std::exit(100);
    soundEnabled = sound;
    loadDemo();
    recordSoundCalls();
    shutdownDemo();
    for (int slot = 0; slot < sceneImageCount; ++slot) CHILD_CHECK(!sceneImages[slot]);
    for (int slot = 0; slot < skyImageCount; ++slot) CHILD_CHECK(!skyImages[slot]);
    CHILD_CHECK(!particleSystem.head && particleSystem.headTextures.count == 0);
    for (const Model* model : {&spaceModel, &shipModel, &moduleModel, &terrainModel, &logoModel}) {
        CHILD_CHECK(model->data.objectCount == 0);
        for (const Image* texture : model->textures) CHILD_CHECK(!texture);
    }
    CHILD_CHECK(!renderContext && !windowHandle);
    const auto& calls = recordedSoundCalls();
    if (!sound) {
        CHILD_CHECK(calls.empty());
    } else {
        CHILD_CHECK(calls.size() == 5);
        CHILD_CHECK(calls.size() == 5 && calls[0].rfind("free ", 0) == 0 && calls[4] == "close");
    }
    std::exit(failures);
}
}  // namespace

class SceneStartup : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(SceneStartup, LoadsEveryAssetSetsTheRenderStateAndStartsTheMusicLast) {
    EXPECT_EXIT(loadWithSoundAndCheck(), ::testing::ExitedWithCode(0), "");
}

TEST_F(SceneStartup, WithoutMultitexturingNothingIsBuiltAndAQuitIsPending) {
    EXPECT_EXIT(loadWithoutMultitexture(), ::testing::ExitedWithCode(0), "");
}

TEST_F(SceneStartup, ShutdownReleasesEverythingAndMakesNoSoundCallWithSoundOff) {
    EXPECT_EXIT(shutDown(false), ::testing::ExitedWithCode(0), "");
}

TEST_F(SceneStartup, ShutdownFreesTheFourSamplesThenClosesWithSoundOn) {
    EXPECT_EXIT(shutDown(true), ::testing::ExitedWithCode(0), "");
}
