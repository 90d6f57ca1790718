// The demo on the offscreen context with the generated data set: what each scene shows at its times,
// the camera, sounds and state it leaves for the next, the timeline, the start-up and the shutdown.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "services/counter.h"
#include "services/demo_clock.h"
#include "shell/frame_clock.h"
#include "platform/quit_request.h"
#include "services/settings.h"
#include "platform/window.h"
#include "demo/demo_images.h"
#include "demo/init_demo.h"
#include "demo/render_state.h"
#include "demo/rehearsal.h"
#include "demo/scene_state.h"
#include "demo/scenes.h"
#include "demo/shutdown.h"
#include "effects/font.h"
#include "effects/overlays.h"
#include "effects/sky_box.h"
#include "image/gl_api.h"
#include "image/gl_entry_points.h"
#include "model/demo_models.h"
#include "particles/emitter_spawn.h"
#include "particles/particle_system.h"
#include "sound/sound.h"
#include "support/gl_test_context.h"
#include "support/message_recorder.h"
#include "support/sound_recorder.h"

namespace {
constexpr int side = 256;
// The virtual counter runs at the real counter's frequency, so Timers made before it was installed
// (the spawn timer) still convert its counts correctly.
int64_t countsPerSecond = 1000000;

// A death-test child reports nothing of its own failures, and the parent shows only the child's standard
// error: list them there, then exit with 1 if there were any.
[[noreturn]] void exitChild() {
    const ::testing::TestResult* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
    for (int i = 0; i < result->total_part_count(); ++i) {
        const ::testing::TestPartResult& part = result->GetTestPartResult(i);
        const char* file = part.file_name() ? part.file_name() : "?";
        if (part.failed()) std::fprintf(stderr, "%s:%d: %s\n", file, part.line_number(), part.summary());
    }
    std::exit(result->Failed() ? 1 : 0);
}

// A context of width x height in the build folder (HALVEX_BUILD_DIR, set for every test binary) with
// its generated data/, message boxes and sound calls recorded, time standing still.
bool startProcess(int width, int height) {
    if (!makeGlTestContext(width, height)) return false;
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    if (!build || chdir(build) != 0 || access("data/3ds/teren.3ds", R_OK) != 0) {
        ADD_FAILURE() << "the generated data set (data/ of the build folder) is missing";
        return false;
    }
    recordMessageBoxes();
    recordSoundCalls();
    if (!counterFrequency(countsPerSecond) || countsPerSecond <= 0) countsPerSecond = 1000000;
    installVirtualCounter(countsPerSecond);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return true;
}

// The demo loaded once per process with the GL state saved before; then, before every test, the
// start-up's render state (unit 1 left active), no fog or blending, the scene state and the clock.
bool prepareDemo(int width = side, int height = side) {
    static bool loaded = false;
    soundEnabled = false;
    if (!(loaded ? makeGlTestContext(width, height) : startProcess(width, height))) return false;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    if (!loaded) loadDemo();
    loaded = true;
    glViewport(0, 0, screenWidth, screenHeight);
    setFixedRenderState();
    setMaterialAndLights();
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    setupTextureUnits();
    resetSceneState();
    startDemoClock();
    demoStepMs = referenceFrameMs;   // each frame a test draws stands for one 60 Hz frame
    emitterSpawnTimer.restart();
    recordSoundCalls();
    return true;
}

// Every attribute as it was before the test, and identity matrices, for the GL tests that follow.
void restoreGlState() {
    soundEnabled = false;
    glPopAttrib();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void advanceMs(double ms) {
    advanceVirtualCounter(static_cast<int64_t>(ms * static_cast<double>(countsPerSecond) / 1000.0));
}

// The frame as drawn, rows bottom first; extents are fractions of the frame.
struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    double mean(double x0 = 0, double y0 = 0, double x1 = 1, double y1 = 1) const {  // of r + g + b
        double total = 0;
        int n = 0;
        for (int y = int(y0 * height); y < int(y1 * height); ++y)
            for (int x = int(x0 * width); x < int(x1 * width); ++x, ++n)
                total += at(x, y)[0] + at(x, y)[1] + at(x, y)[2];
        return n ? total / n : 0.0;
    }
    int brightest(double y0 = 0, double y1 = 1) const {  // channel, over the rows y0 .. y1
        return *std::max_element(at(0, int(y0 * height)), at(0, int(y1 * height) - 1) + width * 3);
    }
};

Frame readFrame() {
    Frame frame{screenWidth, screenHeight, std::vector<unsigned char>(size_t(screenWidth) * screenHeight * 3)};
    glFinish();
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
    return frame;
}

// One frame of a scene as the frame clock draws it (clear, identity, the scene), read back.
Frame drawn(int (*scene)(double), double sceneMs) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    scene(sceneMs);
    return readFrame();
}

// The first value (or the i-th) of a GL state of floats.
float glFloat(GLenum name, int i = 0) {
    GLfloat values[16] = {};
    glGetFloatv(name, values);
    return values[i];
}

std::vector<Particle*> particles() {
    std::vector<Particle*> list;
    for (Particle* p = particleSystem.head; p; p = p->next) list.push_back(p);
    return list;
}

class Scenes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(prepareDemo()); }
    void TearDown() override { restoreGlState(); }
};
}  // namespace

TEST_F(Scenes, TheTitleIsCentredAndFadesInAndOutAroundTheStrictBoundary) {
    const Frame title = drawn(drawScene1, 2000.0);
    // "ODA MERVIK PRESENT'S" on y 0.525..0.575 and the longer "A MULTIMEDIAL OPENGL BASED DEMO" on
    // 0.425..0.475, bright near their middle; black around them.
    for (double y : {0.53, 0.43}) {
        int left = side, right = -1;
        for (int row = int(y * side); row < int((y + 0.04) * side); ++row)
            for (int x = 0; x < side; ++x)
                if (title.at(x, row)[0] > 100) left = std::min(left, x), right = std::max(right, x);
        EXPECT_NEAR((left + right) / 2.0, side / 2.0, 0.025 * side) << y;
        EXPECT_NEAR(right - left, ((y > 0.5 ? 19 : 30) * 0.9375 + 1) * 0.025 * side, 0.06 * side) << y;
        EXPECT_GE(title.brightest(y, y + 0.04), 180) << y;  // softened by filtering, yet near white
    }
    for (const auto& [y0, y1] : {std::pair{0.0, 0.4}, {0.49, 0.51}, {0.6, 1.0}}) EXPECT_LT(title.brightest(y0, y1), 40);

    const double full = title.mean();
    EXPECT_NEAR(drawn(drawScene1, 500.0).mean() / full, 0.5, 0.03);   // fade in over 0..1000
    EXPECT_NEAR(drawn(drawScene1, 3250.0).mean() / full, 0.5, 0.03);  // fade out over 3000..3500
    EXPECT_LT(drawn(drawScene1, 3499.5).brightest(), 5);
    // At exactly 3500 ms only the clear colour shows; just after it the opening fade covers the grey.
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    const Frame boundary = drawn(drawScene1, 3500.0);
    for (size_t i = 0; i < boundary.rgb.size(); i += 3 * 7) ASSERT_NEAR(boundary.rgb[i], 128, 1) << i;
    EXPECT_LT(drawn(drawScene1, 3500.5).mean(), 6.0);
    EXPECT_GT(drawn(drawScene1, 120000.0).brightest(), 100);
    EXPECT_LT(drawn(drawScene1, 129999.0).brightest(), 3);  // the closing fade ends in black
}

TEST_F(Scenes, SceneOnesCameraShipAndModuleFollowTheirPathsAndHoldAtTheirEnds) {
    drawn(drawScene1, 23500.0);  // the second control point of the flight
    EXPECT_NEAR(cameraEye.x, -1000.0f, 0.01f);
    EXPECT_NEAR(cameraEye.y, 100.0f, 0.01f);
    drawn(drawScene1, 63499.0);
    const Vector3 end = cameraEye;
    EXPECT_NEAR(end.x, 1300.0f, 1.0f);
    EXPECT_NEAR(end.y, -1000.0f, 1.0f);
    // A hair before a path's end the parameter rounds to its end as a float, where the path would give
    // the origin: the eye and the target keep their places.
    drawn(drawScene1, 63499.99999);
    EXPECT_EQ(cameraEye.x, end.x);
    drawn(drawScene1, 70000.0);
    EXPECT_FLOAT_EQ(shipSpinAngle, 240.0f);
    const Vector3 shipBefore = shipPosition;
    drawn(drawScene1, 75000.0);  // at exactly 75000 the ship is neither spun nor moved
    EXPECT_FLOAT_EQ(shipSpinAngle, 240.0f);
    EXPECT_EQ(shipPosition.x, shipBefore.x);
    drawn(drawScene1, 85000.0);  // half way on the ship, camera and target paths
    EXPECT_NE(shipPosition.x, shipBefore.x);
    EXPECT_TRUE(cameraTarget.x > 0.0f && cameraTarget.x < 380.0f) << cameraTarget.x;
    drawn(drawScene1, 94999.0);
    const Vector3 eye = cameraEye, target = cameraTarget;
    drawn(drawScene1, 94999.99999);
    EXPECT_EQ(cameraEye.x, eye.x);
    EXPECT_EQ(cameraTarget.x, target.x);
    EXPECT_GT(drawn(drawScene1, 100000.0).mean(), 3.0);  // the sky, not a black frame
    EXPECT_FLOAT_EQ(shipTurnAngle, 90.0f);
    drawn(drawScene1, 117500.0);  // the module and the camera half way on their last paths
    EXPECT_FLOAT_EQ(shipPosition.x, 380.0f);
    EXPECT_FLOAT_EQ(cameraTarget.y, 28.0f);
    EXPECT_TRUE(modulePosition.y < 150.0f && modulePosition.y > 28.0f) << modulePosition.y;
    drawn(drawScene1, 129999.99999);
    EXPECT_TRUE(modulePosition.x != 0.0f && cameraEye.x != 0.0f);

    // The logo grows once per frame after 22 s (strict) until it goes at 25 s.
    resetSceneState();
    for (double ms : {21000.0, 22000.0, 22001.0, 22002.0, 25000.0}) drawn(drawScene1, ms);
    EXPECT_FLOAT_EQ(logoZoom, 1.03f);
}

TEST_F(Scenes, EffectsPlayOnceAtTheirMomentsOnlyWithSoundOnAndEmittersComeEvery15Seconds) {
    drawn(drawScene1, 4000.0);
    drawn(drawScene2, 0.0);
    EXPECT_TRUE(recordedSoundCalls().empty());
    EXPECT_FALSE(effect1Started || rockStarted);
    soundEnabled = true;
    struct Case {
        int (*scene)(double);
        SoundSample* sample;
        bool* started;
        std::vector<double> times;
        size_t first;  // of the times, the one that starts the effect
        std::string volume;
    };
    for (const Case& c : {Case{drawScene1, &effectSample1, &effect1Started, {3500, 3510, 3600, 20000}, 1, "180"},
                          Case{drawScene2, &rockSample, &rockStarted, {0, 16, 4016, 19000}, 0, "150"}}) {
        SCOPED_TRACE(c.volume);
        *c.sample = SoundSample{21};
        recordSoundCalls();
        for (size_t i = 0; i < c.times.size(); ++i) {
            drawn(c.scene, c.times[i]);
            ASSERT_EQ(recordedSoundCalls().size(), i < c.first ? 0u : 2u) << c.times[i];
        }
        EXPECT_EQ(recordedSoundCalls(), (std::vector<std::string>{"play 21 -> 0", "volume 0 " + c.volume}));
        EXPECT_TRUE(*c.started);
        *c.sample = SoundSample{};
    }
    // A new emitter every 15 s, with its puff silent before 5 s into the scene.
    puffSample = SoundSample{22};
    recordSoundCalls();
    advanceMs(15001.0);  // the start-up's emitters have all died meanwhile
    drawn(drawScene1, 4100.0);
    ASSERT_EQ(particles().size(), 1u);
    EXPECT_LT(particleSystem.head->lifeTimer.elapsedMs(), 1.0);
    advanceMs(14000.0);
    drawn(drawScene1, 6000.0);  // the interval has not passed again
    EXPECT_TRUE(recordedSoundCalls().empty());
    advanceMs(1001.0);
    drawn(drawScene1, 6100.0);
    EXPECT_EQ(recordedSoundCalls(), (std::vector<std::string>{"play 22 -> 0", "volume 0 100"}));
    puffSample = SoundSample{};
}

TEST_F(Scenes, SceneTwoFadesInFromItsFirstFrameAndTurnsInWholeDegreesCarryingTheFraction) {
    EXPECT_EQ(drawn(drawScene2, 0.0).brightest(), 0);   // the cut: opaque black, no flash
    demoStepMs = 4.0;                                    // 0.72 degree a frame at 3 per 60 Hz frame
    for (int i = 1; i <= 5; ++i) drawn(drawScene2, 4.0 * i);
    EXPECT_TRUE(moduleSpinAngle == 3 && spiralAngle == 3) << moduleSpinAngle << " " << spiralAngle;
    demoStepMs = 20.0;                                   // 3.6 more, with the 0.6 carried: 4
    drawn(drawScene2, 40.0);
    EXPECT_TRUE(moduleSpinAngle == 7 && spiralAngle == 7) << moduleSpinAngle << " " << spiralAngle;
    EXPECT_GT(drawn(drawScene2, 1500.0).brightest(), 30);
    EXPECT_EQ(drawn(drawScene2, 19000.0).brightest(), 0);
}

namespace {
// Scene 2's picture after 3 s of frames every stepMs, from an empty trail and unturned angles.
Frame sceneTwoAfterThreeSeconds(double stepMs) {
    resetSceneState();
    const std::vector<unsigned char> black(512 * 512 * 3);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 512, 512, 0, GL_RGB, GL_UNSIGNED_BYTE, black.data());
    demoStepMs = stepMs;
    Frame last;
    for (int k = 0; k * stepMs <= 3000.0 + 1e-6; ++k) last = drawn(drawScene2, 7000.0 + k * stepMs);
    return last;
}

// The trail fades by 0.99 for each 60 Hz frame's span, so at 240 frames a second it is as long, and the
// picture as bright, as at 60; at 0.99 a frame it would be four times shorter.
void expectTheTrailKeepsItsLengthAtAnyRate() {
    const double at60 = sceneTwoAfterThreeSeconds(1000.0 / 60.0).mean();
    const double at240 = sceneTwoAfterThreeSeconds(1000.0 / 240.0).mean();
    EXPECT_NEAR(at240, at60, 0.03 * at60) << "mean of r + g + b";
}
}  // namespace

// The 512 x 512 corner captured into the feedback texture, each window size in a process of its own:
// the shared offscreen window does not come back reliably from a resize. A window smaller than the
// corner leaves the texels beyond it black.
TEST(ScenesAlone, SceneTwoCapturesTheFramesCornerInto512Texels) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const auto& [width, height] : {std::pair{512, 512}, std::pair{256, 200}}) {
        auto child = [width = width, height = height] {
            if (!prepareDemo(width, height)) std::exit(100);
            for (int i = 0; i < 3; ++i) drawn(drawScene2, 5000.0 + 20.0 * i);
            EXPECT_GT(drawn(drawScene2, 5060.0).mean(), 3.0);  // the blurred image under the sharp module
            glBindTexture(GL_TEXTURE_2D, blurTexture);
            GLint size[2] = {}, filters[2] = {};
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size[0]);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size[1]);
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filters[0]);
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filters[1]);
            EXPECT_TRUE(size[0] == 512 && size[1] == 512 && filters[0] == GL_NEAREST && filters[1] == GL_NEAREST);
            std::vector<unsigned char> texels(512 * 512 * 3);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
            int inside = 0, outside = 0;  // texels holding the module, the spiral and their trails
            for (int i = 0; i < 512 * 512; ++i) {
                const bool within = i % 512 < width && i / 512 < height;
                (within ? inside : outside) += texels[i * 3] + texels[i * 3 + 2] > (within ? 30 : 0);
            }
            EXPECT_GT(inside, 1000);
            EXPECT_EQ(outside, 0);
            if (width == 512) expectTheTrailKeepsItsLengthAtAnyRate();
            exitChild();
        };
        EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "") << width << " x " << height;
    }
}

TEST_F(Scenes, SceneThreeClearsGreyFromItsSecondFrameUnderFogAndCaptionsOverItsFades) {
    // No fade at 3000 ms, so the sky at the top shows the clear colour: black on the first frame.
    EXPECT_EQ(drawn(drawScene3, 3000.0).at(side / 2, side - 2)[0], 0);
    EXPECT_NEAR(drawn(drawScene3, 3020.0).at(side / 2, side - 2)[0], 178, 2);
    GLfloat light[4] = {};
    glGetLightfv(GL_LIGHT1, GL_POSITION, light);
    EXPECT_TRUE(glIsEnabled(GL_FOG) && glFloat(GL_FOG_MODE) == GL_EXP);
    EXPECT_FLOAT_EQ(glFloat(GL_FOG_DENSITY), 0.001f);
    EXPECT_FLOAT_EQ(glFloat(GL_FOG_COLOR), 0.7f);
    EXPECT_FLOAT_EQ(light[0], 1000.0f);  // eye space: given under the identity modelview
    EXPECT_NEAR(drawn(drawScene3, 1500.0).at(side / 2, side - 2)[0], 89, 2);  // fade-in half way

    // Captions: low on the screen while the fade-in is nearly black, gone at 7000 ms (strict), and
    // both closing lines bright over a 98 % black fade-out.
    Frame frame = drawn(drawScene3, 100.0);
    EXPECT_GE(frame.brightest(0.14, 0.16), 120);
    EXPECT_LT(frame.brightest(0.3, 0.7), 30);
    const int withCaption = drawn(drawScene3, 6990.0).brightest(0.14, 0.16);
    EXPECT_LT(drawn(drawScene3, 7000.0).brightest(0.14, 0.16), withCaption - 20);
    frame = drawn(drawScene3, 38900.0);
    EXPECT_GE(std::min(frame.brightest(0.52, 0.54), frame.brightest(0.46, 0.48)), 120);
    EXPECT_LT(std::max(frame.brightest(0.0, 0.3), frame.brightest(0.7, 1.0)), 15);
}

TEST_F(Scenes, SceneThreesTargetStopsBeforeTheEyeAndItsGreyAndFogCarryIntoSceneFoursApproachAndLaps) {
    drawn(drawScene3, 0.0);
    EXPECT_FLOAT_EQ(cameraEye.x, 300.0f);
    EXPECT_FLOAT_EQ(cameraEye.z, 1200.0f);
    drawn(drawScene3, 38700.0);
    const Vector3 eye = cameraEye, target = cameraTarget;
    drawn(drawScene3, 38990.0);
    EXPECT_NE(cameraEye.x, eye.x);
    EXPECT_TRUE(cameraTarget.x == target.x && cameraTarget.y == target.y);
    EXPECT_LT(cameraEye.x, 2000.0f);  // never reaches point 8

    // Scene 4 approaches, fading in from black, then counts laps without moving on the boundary.
    resetSceneState();
    drawn(drawScene4, 0.0);
    EXPECT_FLOAT_EQ(cameraEye.x, -6000.0f);
    EXPECT_FLOAT_EQ(cameraEye.y, 400.0f);
    EXPECT_LT(drawn(drawScene4, 1.0).brightest(), 3);
    EXPECT_FLOAT_EQ(glFloat(GL_COLOR_CLEAR_VALUE), 0.7f);
    EXPECT_FLOAT_EQ(glFloat(GL_FOG_DENSITY), 0.0002f);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    // The top corner sees the hall's far wall, dark plating (a fifth of white at most) 3000 units off: the
    // fog lifts it towards its grey, which it would never reach unfogged.
    const int farWall = drawn(drawScene4, 4999.0).at(1, side - 2)[0];
    EXPECT_TRUE(farWall > 60 && farWall < 178) << farWall;
    const float nearEnd = cameraEye.x;
    drawn(drawScene4, 4999.9999999);  // the parameter rounds to 1: the eye keeps its place
    EXPECT_EQ(cameraEye.x, nearEnd);
    drawn(drawScene4, 5000.0);  // the lap starts where the approach ended
    EXPECT_NEAR(cameraEye.x, -500.0f, 0.01f);
    EXPECT_EQ(orbitLap, 0);
    drawn(drawScene4, 29990.0);
    const Vector3 lapEnd = cameraEye;
    drawn(drawScene4, 30010.0);  // just over five segments: only the lap is counted
    EXPECT_EQ(orbitLap, 1);
    EXPECT_TRUE(cameraEye.x == lapEnd.x && cameraEye.z == lapEnd.z);
    drawn(drawScene4, 30020.0);  // the new lap starts near its beginning
    EXPECT_NEAR(cameraEye.x, -500.0f, 5.0f);
    EXPECT_NEAR(cameraEye.z, -500.0f, 5.0f);
    // A stall of several laps: one lap caught up per frame, the eye standing still meanwhile.
    for (int frame = 0; frame < 3; ++frame) drawn(drawScene4, 30020.0 + 3 * 25000.0);
    EXPECT_EQ(orbitLap, 4);
    EXPECT_NEAR(cameraEye.x, -500.0f, 5.0f);
}

TEST_F(Scenes, SceneFoursLogoShowsWithoutFogAndTheCreditsClimbFasterAndFaster) {
    drawn(drawScene3, 38990.0);
    resetSceneState();
    // The logo's rectangle: from (0.16, 0.7), 0.675 x 0.15 of the screen, from 5000 to 25000 (strict).
    const double without = drawn(drawScene4, 5000.0).mean(0.2, 0.72, 0.8, 0.84);
    const double with = drawn(drawScene4, 5000.5).mean(0.2, 0.72, 0.8, 0.84);
    EXPECT_GT(with, without + 20.0);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_LT(drawn(drawScene4, 25000.0).mean(0.2, 0.72, 0.8, 0.84), with - 20.0);

    resetSceneState();
    drawn(drawScene4, 20000.0);
    EXPECT_FLOAT_EQ(creditsScroll, -0.7f);  // strict: no credits yet
    drawn(drawScene4, 30000.0);
    EXPECT_FLOAT_EQ(creditsScroll, -0.7f + 10000.0f * 2e-8f);
    // Far into the scene each frame moves the block by 0.05 of the screen. "ORX HALVEX" is centred at
    // scroll + 0.5 with glyphs 0.05 high: the highest white row (only text added onto grey reaches
    // white) at 0.575, then 0.625.
    creditsScroll = 0.0f;
    int tops[2];
    for (int& top : tops) {
        const Frame f = drawn(drawScene4, 20000.0 + 2.5e6);
        for (top = f.height - 1; top >= 0; --top)
            if (std::any_of(f.at(0, top), f.at(0, top) + f.width * 3, [](unsigned char c) { return c >= 250; })) break;
    }
    EXPECT_NEAR(tops[0], 0.575 * side, 3);
    EXPECT_NEAR(tops[1] - tops[0], 0.05 * side, 2);
}

// Every value of the shared scene state, in one list to compare.
std::vector<float> sceneStateValues() {
    std::vector<float> values;
    for (const Vector3& v : {cameraEye, cameraTarget, shipPosition, modulePosition})
        values.insert(values.end(), {v.x, v.y, v.z});
    values.insert(values.end(), {logoZoom, creditsScroll, shipSpinAngle, shipTurnAngle, float(effect1Started),
                                 float(rockStarted), float(moduleSpinAngle), float(spiralAngle), float(orbitLap),
                                 previousSceneTime, float(scene2HasRun)});
    return values;
}

// The blur texture's width and minifying filter.
std::pair<GLint, GLint> blurTextureImage() {
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, blurTexture);
    GLint width = 0, minFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    return {width, minFilter};
}

// The rehearsal at the end of loading draws the scenes and leaves no trace: it draws (samples reach the
// framebuffer), the blur really copies (a blur texture shrunk beforehand holds the copy's image again),
// and the render state, the scene state (odd values beforehand, the start values after, as at the end
// of loading), the particles, the spawn timer, the random generator, the sound setting and the screen
// size are as before; the blur texture is incomplete again for the blur's first frame. Sound on: the
// rehearsal plays nothing.
TEST_F(Scenes, TheRehearsalDrawsTheScenesAndLeavesEveryStateAsItFoundIt) {
    auto glState = [] {
        std::vector<float> values;
        for (GLenum name : {GL_ACTIVE_TEXTURE_ARB, GL_COLOR_CLEAR_VALUE, GL_CURRENT_COLOR, GL_VIEWPORT, GL_BLEND_SRC,
                            GL_BLEND_DST, GL_MATRIX_MODE, GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX, GL_FOG_DENSITY,
                            GL_FOG_MODE, GL_TEXTURE_BINDING_2D}) {
            float v[16] = {};
            glGetFloatv(name, v);
            values.insert(values.end(), v, v + 16);
        }
        for (GLenum name : {GL_FOG, GL_LIGHTING, GL_BLEND, GL_DEPTH_TEST, GL_LIGHT1, GL_TEXTURE_2D})
            values.push_back(glIsEnabled(name));
        float light[4] = {};
        glGetLightfv(GL_LIGHT1, GL_POSITION, light);
        values.insert(values.end(), light, light + 4);
        return values;
    };
    using namespace glEntry;
    ASSERT_TRUE(glGenQueriesARB && glBeginQueryARB && glEndQueryARB && glGetQueryObjectuivARB && glDeleteQueriesARB)
        << "the driver offers no occlusion query";
    // The loading's rehearsal left its copy in the blur texture; shrink it to one texel.
    const GLint copyWidth = blurTextureImage().first;
    ASSERT_GT(copyWidth, 1);
    const unsigned char texel[4] = {};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    setupTextureUnits();

    resetSceneState();
    const std::vector<float> startScene = sceneStateValues();
    cameraEye = {1, 2, 3};
    shipPosition = {4, 5, 6};
    orbitLap = 4;
    logoZoom = 7.0f;
    scene2HasRun = true;
    ASSERT_NE(sceneStateValues(), startScene);
    soundEnabled = true;
    const std::vector<float> before = glState();
    const Particle* particles = particleSystem.head;
    const int64_t spawnStart = emitterSpawnTimer.startCount;
    const int width = screenWidth;
    std::srand(77);
    const int expected = std::rand();
    std::srand(77);

    GLuint query = 0;
    glGenQueriesARB(1, &query);
    glBeginQueryARB(GL_SAMPLES_PASSED_ARB, query);
    rehearseScenes();
    glEndQueryARB(GL_SAMPLES_PASSED_ARB);
    GLuint samples = 0;
    glGetQueryObjectuivARB(query, GL_QUERY_RESULT_ARB, &samples);
    glDeleteQueriesARB(1, &query);

    EXPECT_GT(samples, 0u) << "the rehearsal drew nothing";
    EXPECT_EQ(std::rand(), expected) << "no random number drawn";
    EXPECT_TRUE(glState() == before);
    EXPECT_TRUE(particleSystem.head == particles && emitterSpawnTimer.startCount == spawnStart);
    EXPECT_TRUE(soundEnabled && screenWidth == width && recordedSoundCalls().empty());
    EXPECT_EQ(sceneStateValues(), startScene) << "the scene state is not back at its start";
    const auto [widthAfter, filterAfter] = blurTextureImage();
    EXPECT_EQ(widthAfter, copyWidth) << "the blur did not copy";
    EXPECT_EQ(filterAfter, GL_NEAREST_MIPMAP_LINEAR) << "mipmapped with one level: incomplete";
    soundEnabled = false;
}

TEST_F(Scenes, RenderFrameHandsEachSpanOfDemoTimeToItsScene) {
    advanceMs(2000.0);
    renderFrame();
    const Frame title = readFrame();
    EXPECT_GT(title.mean(0, 0.52, 1, 0.58), 5.0);
    EXPECT_EQ(title.mean(0, 0, 1, 0.4), 0.0);
    soundEnabled = true;
    advanceMs(130500.0 - 2000.0);  // scene 2: the rock effect, once
    renderFrame();
    EXPECT_TRUE(rockStarted);
    advanceMs(20000.0);  // scene 3: its grey clear colour from the next frame on
    renderFrame();
    EXPECT_FLOAT_EQ(glFloat(GL_COLOR_CLEAR_VALUE), 0.7f);
    advanceMs(39000.0 + 25000.0);  // scene 4 at 25.5 s: the credits have started
    renderFrame();
    EXPECT_GT(creditsScroll, -0.7f);
}

// The start-up and the shutdown in processes of their own (the shutdown destroys the window): with
// sound on and off, and without multitexturing, where nothing is built and a quit is pending.
TEST(ScenesAlone, StartUpLoadsInOrderAndShutdownReleasesEverything) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    enum Mode { SoundOn, SoundOff, NoMultitexture };
    auto child = [](Mode mode) {
        if (!startProcess(side, side)) std::exit(100);
        soundEnabled = mode != SoundOff;
        if (mode == NoMultitexture) hideGlExtensionForTest("GL_ARB_multitexture");
        loadDemo();
        std::vector<std::string> calls = recordedSoundCalls();
        if (mode == NoMultitexture) {
            EXPECT_TRUE(quitRequestPending());
            EXPECT_TRUE(!recordedMessages().empty() && recordedMessages().back().caption == "Chyba");
            EXPECT_FALSE(glActiveTextureARB);
            EXPECT_TRUE(fontListBase == 0 && skyBoxList == 0);
            EXPECT_TRUE(calls.empty());  // no music for a demo that quits
            exitChild();
        }
        // Unit 1 left active, doubling unit 0's colour times the detail texture; light 1 in eye space.
        auto env = [](GLenum name) { GLfloat value = 0; glGetTexEnvfv(GL_TEXTURE_ENV, name, &value); return value; };
        GLfloat light[4] = {};
        glGetLightfv(GL_LIGHT1, GL_POSITION, light);
        EXPECT_EQ(glFloat(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE1_ARB);
        EXPECT_TRUE(env(GL_TEXTURE_ENV_MODE) == GL_COMBINE_ARB && env(GL_COMBINE_RGB_ARB) == GL_MODULATE);
        EXPECT_EQ(env(GL_RGB_SCALE_ARB), 2.0f);
        EXPECT_TRUE(light[0] == 1300 && light[1] == -1000 && light[2] == 299 && light[3] == 1);
        // Every asset, the three emitters, the lists, no message; the music loaded after init and
        // before the effects, started last at volume 180.
        const auto tables = {std::pair{skyImages, skyImageCount}, {sceneImages, sceneImageCount}};
        const Model* models[] = {&spaceModel, &shipModel, &moduleModel, &terrainModel, &logoModel};
        for (const auto& [table, count] : tables)
            for (int slot = 0; slot < count; ++slot)
                EXPECT_TRUE(table[slot]->pixels && glIsTexture(table[slot]->texture)) << slot;
        EXPECT_TRUE(sceneImages[0]->bytesPerPixel == 4 && sceneImages[1]->bytesPerPixel == 3);  // orx.tga, sun.jpg
        for (const Model* model : models) EXPECT_GT(model->data.objectCount, 0);
        EXPECT_TRUE(terrainModel.detailMode == 1 && terrainModel.textures[100] && spaceModel.detailMode == 0);
        EXPECT_EQ(particles().size(), 3u);
        EXPECT_TRUE(fontListBase != 0 && skyBoxList != 0 && demoTime == 0.0 && recordedMessages().empty());
        auto index = [&](const char* prefix) {
            return std::find_if(calls.begin(), calls.end(), [&](auto& l) { return l.rfind(prefix, 0) == 0; }) -
                   calls.begin();
        };
        if (mode == SoundOn) {
            EXPECT_LT(index("init 44100 32"), index("load data/sound/ikarie.mp3"));
            EXPECT_LT(index("load data/sound/ikarie.mp3"), index("load data/sound/rock.wav"));
            EXPECT_EQ(index("play "), std::ssize(calls) - 2);
            EXPECT_EQ(calls.back().substr(calls.back().size() - 4), " 180");
        }
        // Shutdown: everything released; with sound on the four samples freed, then the close.
        recordSoundCalls();
        shutdownDemo();
        for (const auto& [table, count] : tables)
            for (int slot = 0; slot < count; ++slot) EXPECT_FALSE(table[slot]);
        EXPECT_TRUE(!particleSystem.head && particleSystem.headTextures.count == 0);
        for (const Model* model : models) {
            EXPECT_EQ(model->data.objectCount, 0);
            for (const Image* texture : model->textures) EXPECT_FALSE(texture);
        }
        EXPECT_TRUE(!renderContext && !windowHandle);
        calls = recordedSoundCalls();
        EXPECT_EQ(calls.size(), mode == SoundOn ? 5u : 0u);
        EXPECT_TRUE(mode != SoundOn || (index("free ") == 0 && calls.back() == "close"));
        exitChild();
    };
    for (Mode mode : {SoundOn, SoundOff, NoMultitexture})
        EXPECT_EXIT(child(mode), ::testing::ExitedWithCode(0), "") << mode;
}
