// The demo loaded on the offscreen context for scene tests: loading, state reset and pixel read-back.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Makes the context (width x height), moves to the build folder that holds data/, and loads the demo
// once per process with sound calls recorded, message boxes recorded and a virtual counter (1 count per
// microsecond) installed. Before every test it resets the render state of the start-up, the shared
// scene state and the clock. False (with the reason) when the context or the data set is missing.
bool prepareDemo(int width, int height);

// Moves to the build folder that holds data/ (HALVEX_BUILD_DIR, else the parent of the tests' folder).
bool moveToDataFolder();

// The start-up render state again: fixed state, material and lights under the identity, fog off,
// black clear colour, both texture units (unit 1 left active), and the shared scene state.
void resetDemoState();

// One frame as the frame clock draws it: clear, identity, the scene at sceneMs; then glFinish.
void drawSceneFrame(int (*scene)(double), double sceneMs);

// Moves the virtual counter (and with it every Timer) forward.
void advanceMs(double ms);

struct Rgb {
    int r = 0, g = 0, b = 0;
    int max() const { return r > g ? (r > b ? r : b) : (g > b ? g : b); }
};
// The frame as drawn, rows bottom first (read from the front buffer after glFinish).
struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    Rgb at(int x, int y) const;
    // Mean of r+g+b over the rectangle [x0, x1) x [y0, y1).
    double meanBrightness(int x0, int y0, int x1, int y1) const;
    int brightestChannel() const;   // over the whole frame
};
Frame readFrame();

// Lines recorded by the sound recorder since the last clearSoundCalls().
const std::vector<std::string>& soundCalls();
void clearSoundCalls();

// The number of particles in particleSystem's list.
int particleCount();

// Puts the GL state back near OpenGL's defaults (no fog, lighting, blending or texturing, unit 0
// active), so GL tests of other subsystems that run later in the same process start clean.
void restorePlainGlState();

// Base of the scene tests: the demo prepared at size x size before each test; afterwards sound off
// and plain GL state again.
class SceneTest : public ::testing::Test {
protected:
    static constexpr int size = 256;
    void SetUp() override { ASSERT_TRUE(prepareDemo(size, size)); }
    void TearDown() override;
};
