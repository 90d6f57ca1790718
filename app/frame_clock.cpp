// The frame clock reads the counter twice a frame: the next interval starts at the second reading.
#include "app/frame_clock.h"

#include "app/counter.h"
#include "app/window.h"
#include "demo/scenes.h"
#include "image/gl_api.h"

double demoTime = 0.0;
double frameTime = 0.0;
double secondsPerCount = 0.0;
int64_t lastCount = 0;

SceneFunction timelineScenes[4] = {drawScene1, drawScene2, drawScene3, drawScene4};

namespace {
constexpr double scene2StartMs = 130000.0;
constexpr double scene3StartMs = 150000.0;
constexpr double scene4StartMs = 189000.0;

// Without a high-resolution counter the tick count stands in, in milliseconds.
bool usingTickCount = false;

int64_t readClockCounter() { return usingTickCount ? static_cast<int64_t>(readTickCount()) : readCounter(); }
}  // namespace

void startDemoClock() {
    int64_t frequency = 0;
    usingTickCount = !counterFrequency(frequency) || frequency <= 0;
    secondsPerCount = usingTickCount ? 0.001 : 1.0 / static_cast<double>(frequency);
    demoTime = 0.0;
    lastCount = readClockCounter();
}

void advanceDemoClock() {
    const int64_t now = readClockCounter();
    int64_t elapsed = now - lastCount;
    if (usingTickCount) elapsed = static_cast<uint32_t>(now - lastCount);   // the tick count wraps
    frameTime = static_cast<double>(elapsed) * secondsPerCount * 1000.0;
    lastCount = readClockCounter();
    demoTime = demoTime + frameTime;
}

int sceneIndexAt(double ms) {
    if (ms < scene2StartMs) return 0;
    if (ms < scene3StartMs) return 1;
    if (ms < scene4StartMs) return 2;
    return 3;
}

double sceneStartMs(int sceneIndex) {
    const double starts[4] = {0.0, scene2StartMs, scene3StartMs, scene4StartMs};
    return starts[sceneIndex < 0 ? 0 : sceneIndex > 3 ? 3 : sceneIndex];
}

int runTimeline() {
    const int scene = sceneIndexAt(demoTime);
    // Scene 1 is handed the absolute time, which is its own time since it starts at 0.
    timelineScenes[scene](scene == 0 ? demoTime : demoTime - sceneStartMs(scene));
    return scene;
}

void renderFrame() {
    advanceDemoClock();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    runTimeline();
    swapFrame();
}
