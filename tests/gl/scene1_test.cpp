// Scene 1 on the offscreen context: the title card, the strict 3500 ms boundary, the fades, the paths,
// the logo zoom, the opening effect and the puff, and the particles that only this scene moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/settings.h"
#include "demo/scene_state.h"
#include "demo/scenes.h"
#include "image/gl_api.h"
#include "math/catmull_rom.h"
#include "particles/emitter_spawn.h"
#include "particles/particle_system.h"
#include "scene_support.h"
#include "sound/sound.h"

namespace {
constexpr int side = 256;

// Columns of the row band [y0, y1) that hold a pixel brighter than threshold.
struct Extent {
    int left = -1, right = -1;
    int brightest = 0;
};
Extent brightExtent(const Frame& frame, int y0, int y1, int threshold) {
    Extent e;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const int c = frame.at(x, y).max();
            e.brightest = std::max(e.brightest, c);
            if (c <= threshold) continue;
            if (e.left < 0 || x < e.left) e.left = x;
            if (x > e.right) e.right = x;
        }
    return e;
}

int countCalls(const std::string& prefix) {
    return static_cast<int>(std::count_if(soundCalls().begin(), soundCalls().end(),
                                          [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
}

class SceneOne : public SceneTest {};
}  // namespace

TEST_F(SceneOne, TitleCaptionsAreBrightAndCentredOnTheirLines) {
    drawSceneFrame(drawScene1, 2000.0);
    const Frame frame = readFrame();
    // "ODA MERVIK PRESENT'S" on y 0.525..0.575, "A MULTIMEDIAL OPENGL BASED DEMO" on 0.425..0.475.
    const Extent upper = brightExtent(frame, int(0.53 * side), int(0.57 * side), 100);
    const Extent lower = brightExtent(frame, int(0.43 * side), int(0.47 * side), 100);
    ASSERT_GE(upper.left, 0);
    ASSERT_GE(lower.left, 0);
    // Glyphs only 6 pixels wide at this size are softened by trilinear filtering (llvmpipe gets no
    // anisotropic filtering), yet their cores stay near white.
    EXPECT_GE(upper.brightest, 180);
    EXPECT_GE(lower.brightest, 180);
    EXPECT_NEAR((upper.left + upper.right) / 2.0, side / 2.0, 0.025 * side);
    EXPECT_NEAR((lower.left + lower.right) / 2.0, side / 2.0, 0.025 * side);
    // 31 glyphs span more of the screen than 20.
    EXPECT_LT(lower.left, upper.left - 0.1 * side);
    EXPECT_GT(lower.right, upper.right + 0.1 * side);
    EXPECT_NEAR(lower.right - lower.left, (30 * 0.9375 + 1) * 0.025 * side, 0.06 * side);
    // Black between and around the two lines.
    EXPECT_LT(brightExtent(frame, int(0.49 * side), int(0.51 * side), 255).brightest, 40);
    EXPECT_LT(brightExtent(frame, 0, int(0.40 * side), 255).brightest, 40);
    EXPECT_LT(brightExtent(frame, int(0.60 * side), side, 255).brightest, 40);
}

TEST_F(SceneOne, FadesAtTheirMidpointsHalveTheTitle) {
    drawSceneFrame(drawScene1, 2000.0);
    const double full = readFrame().meanBrightness(0, 0, side, side);
    ASSERT_GT(full, 1.0);
    drawSceneFrame(drawScene1, 500.0);   // fade in over 0..1000
    EXPECT_NEAR(readFrame().meanBrightness(0, 0, side, side) / full, 0.5, 0.03);
    drawSceneFrame(drawScene1, 3250.0);  // fade out over 3000..3500
    EXPECT_NEAR(readFrame().meanBrightness(0, 0, side, side) / full, 0.5, 0.03);
    drawSceneFrame(drawScene1, 3499.0);
    EXPECT_LT(readFrame().brightestChannel(), 5);
}

TEST_F(SceneOne, AtExactly3500MsOnlyTheClearColourShows) {
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    drawSceneFrame(drawScene1, 3500.0);
    const Frame frame = readFrame();
    for (int y = 0; y < side; y += 7)
        for (int x = 0; x < side; x += 7) {
            const Rgb c = frame.at(x, y);
            ASSERT_NEAR(c.r, 128, 1) << x << "," << y;
            ASSERT_EQ(c.r, c.g);
            ASSERT_EQ(c.g, c.b);
        }
    // Either side of the boundary the fades cover the grey.
    drawSceneFrame(drawScene1, 3499.5);
    EXPECT_LT(readFrame().brightestChannel(), 5);
    drawSceneFrame(drawScene1, 3500.5);
    EXPECT_LT(readFrame().meanBrightness(0, 0, side, side), 6.0);
}

TEST_F(SceneOne, TheCameraFollowsItsPathsAndHolds) {
    drawSceneFrame(drawScene1, 23500.0);   // u = 1: the second control point of the flight
    EXPECT_NEAR(cameraEye.x, -1000.0f, 0.01f);
    EXPECT_NEAR(cameraEye.y, 100.0f, 0.01f);
    EXPECT_NEAR(cameraEye.z, 0.0f, 0.01f);
    drawSceneFrame(drawScene1, 63499.0);
    const Vector3 end = cameraEye;
    EXPECT_NEAR(end.x, 1300.0f, 1.0f);
    EXPECT_NEAR(end.y, -1000.0f, 1.0f);
    drawSceneFrame(drawScene1, 70000.0);   // u >= 3: the camera holds where path 1 ended
    EXPECT_EQ(cameraEye.x, end.x);
    EXPECT_EQ(cameraEye.y, end.y);
    EXPECT_FLOAT_EQ(shipSpinAngle, 10000.0f * 0.024f);
    // At exactly 75000 the ship is neither spun nor moved.
    const Vector3 shipBefore = shipPosition;
    drawSceneFrame(drawScene1, 75000.0);
    EXPECT_FLOAT_EQ(shipSpinAngle, 240.0f);
    EXPECT_EQ(shipPosition.x, shipBefore.x);
    drawSceneFrame(drawScene1, 85000.0);   // v = 0.5 on the ship, camera and target paths
    EXPECT_NE(shipPosition.x, shipBefore.x);
    EXPECT_GT(cameraTarget.x, 0.0f);
    EXPECT_LT(cameraTarget.x, 380.0f);
    drawSceneFrame(drawScene1, 100000.0);
    EXPECT_FLOAT_EQ(shipTurnAngle, 90.0f);
    drawSceneFrame(drawScene1, 117500.0);  // w = 0.5: module and camera on their last paths
    EXPECT_FLOAT_EQ(shipPosition.x, 380.0f);
    EXPECT_FLOAT_EQ(shipPosition.y, 150.0f);
    EXPECT_FLOAT_EQ(cameraTarget.y, 28.0f);
    EXPECT_LT(modulePosition.y, 150.0f);
    EXPECT_GT(modulePosition.y, 28.0f);
}

// Frames that land a hair before a path's end: the parameter rounds to 1 as a float, where the path
// would give the origin. The view must keep its last eye and target, and the frame must show the sky.
TEST_F(SceneOne, FramesJustBeforeAPathEndKeepTheView) {
    drawSceneFrame(drawScene1, 94999.0);
    const Vector3 eye = cameraEye, target = cameraTarget;
    drawSceneFrame(drawScene1, 94999.99999);   // v = 0.9999999995, 1.0f once rounded
    EXPECT_EQ(cameraEye.x, eye.x);
    EXPECT_EQ(cameraTarget.x, target.x);
    EXPECT_NE(cameraEye.x, cameraTarget.x);
    drawSceneFrame(drawScene1, 100000.0);
    EXPECT_GT(readFrame().meanBrightness(0, 0, size, size), 3.0);   // the sky, not a black frame
    drawSceneFrame(drawScene1, 63499.99999);   // u just under 3 on the first flight
    EXPECT_NE(cameraEye.x, 0.0f);
    drawSceneFrame(drawScene1, 129999.99999);  // w just under 1 on the module path
    EXPECT_NE(modulePosition.x, 0.0f);
    EXPECT_NE(cameraEye.x, 0.0f);
}

TEST_F(SceneOne, TheLogoGrowsOncePerFrameFrom22Seconds) {
    drawSceneFrame(drawScene1, 21000.0);
    EXPECT_FLOAT_EQ(logoZoom, 1.0f);
    drawSceneFrame(drawScene1, 22000.0);   // strict: not yet
    EXPECT_FLOAT_EQ(logoZoom, 1.0f);
    drawSceneFrame(drawScene1, 22001.0);
    drawSceneFrame(drawScene1, 22002.0);
    EXPECT_FLOAT_EQ(logoZoom, 1.03f);
    drawSceneFrame(drawScene1, 25000.0);   // the logo is gone: no more growth
    EXPECT_FLOAT_EQ(logoZoom, 1.03f);
}

TEST_F(SceneOne, TheOpeningEffectPlaysOnceAfterTheTitleAndOnlyWithSoundOn) {
    drawSceneFrame(drawScene1, 4000.0);   // sound off: nothing, and the flag stays down
    EXPECT_TRUE(soundCalls().empty());
    EXPECT_FALSE(effect1Started);

    soundEnabled = true;
    effectSample1 = SoundSample{21};
    drawSceneFrame(drawScene1, 3500.0);   // the boundary frame plays nothing
    EXPECT_TRUE(soundCalls().empty());
    drawSceneFrame(drawScene1, 3510.0);
    ASSERT_EQ(soundCalls().size(), 2u);
    EXPECT_EQ(soundCalls()[0].rfind("play 21 -> ", 0), 0u);
    const std::string channel = soundCalls()[0].substr(std::string("play 21 -> ").size());
    EXPECT_EQ(soundCalls()[1], "volume " + channel + " 180");
    EXPECT_TRUE(effect1Started);
    drawSceneFrame(drawScene1, 3600.0);
    drawSceneFrame(drawScene1, 20000.0);
    EXPECT_EQ(soundCalls().size(), 2u);
    effectSample1 = SoundSample{};
}

TEST_F(SceneOne, NewEmittersComeEvery15SecondsAndPuffOnlyAfter5Seconds) {
    soundEnabled = true;
    puffSample = SoundSample{22};
    drawSceneFrame(drawScene1, 4000.0);
    EXPECT_EQ(countCalls("play 22"), 0);
    advanceMs(15001.0);                   // the start-up's emitters have all died meanwhile
    drawSceneFrame(drawScene1, 4100.0);   // a new emitter, silent before 5000 ms
    EXPECT_EQ(countCalls("play 22"), 0);
    EXPECT_LT(emitterSpawnTimer.elapsedMs(), 1.0);
    ASSERT_EQ(particleCount(), 1);
    EXPECT_LT(particleSystem.head->lifeTimer.elapsedMs(), 1.0);
    advanceMs(14000.0);
    drawSceneFrame(drawScene1, 6000.0);   // the interval has not passed again
    EXPECT_EQ(countCalls("play 22"), 0);
    advanceMs(1001.0);
    drawSceneFrame(drawScene1, 6100.0);
    EXPECT_EQ(countCalls("play 22"), 1);
    EXPECT_EQ(soundCalls().back().substr(soundCalls().back().size() - 4), " 100");
    puffSample = SoundSample{};
}

TEST_F(SceneOne, ParticlesMoveInSceneOneAndFreezeAfterIt) {
    for (int i = 0; i < 3; ++i) particleSystem.spawnRandomEmitter();
    for (int frame = 0; frame < 20; ++frame) {
        advanceMs(50.0);
        drawSceneFrame(drawScene1, 10000.0 + 50.0 * frame);
    }
    ASSERT_GT(particleCount(), 3);   // the emitters have left puffs
    std::vector<Particle*> list;
    std::vector<Vector3> positions;
    for (Particle* p = particleSystem.head; p; p = p->next) {
        list.push_back(p);
        positions.push_back(p->position);
    }
    int (*later[])(double) = {drawScene2, drawScene3, drawScene4};
    for (auto scene : later)
        for (int frame = 0; frame < 5; ++frame) {
            advanceMs(100.0);
            drawSceneFrame(scene, 1000.0 + 100.0 * frame);
        }
    size_t i = 0;
    for (Particle* p = particleSystem.head; p; p = p->next, ++i) {
        ASSERT_LT(i, list.size());
        EXPECT_EQ(p, list[i]);
        EXPECT_EQ(p->position.x, positions[i].x);
        EXPECT_EQ(p->position.y, positions[i].y);
    }
    EXPECT_EQ(i, list.size());
    // Back in scene 1 they move again.
    advanceMs(100.0);
    drawSceneFrame(drawScene1, 12000.0);
    bool moved = false;
    i = 0;
    for (Particle* p = particleSystem.head; p && i < list.size(); p = p->next, ++i)
        moved = moved || p != list[i] || p->position.x != positions[i].x;
    EXPECT_TRUE(moved);
}

TEST_F(SceneOne, TheClosingFadeEndsInBlack) {
    drawSceneFrame(drawScene1, 120000.0);
    EXPECT_GT(readFrame().brightestChannel(), 100);
    drawSceneFrame(drawScene1, 129999.0);
    EXPECT_LT(readFrame().brightestChannel(), 3);
}
