// Benchmark: the real start-up and the four scenes on an offscreen window (SDL's offscreen driver),
// run from the build folder that holds data/. Prints the start-up time and the median and 90th
// percentile milliseconds per frame of each scene, stepping demo time by 1000/60 ms per frame.
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/counter.h"
#include "app/frame_clock.h"
#include "app/message_box.h"
#include "app/settings.h"
#include "app/window.h"
#include "demo/init_demo.h"
#include "demo/shutdown.h"
#include "image/gl_api.h"
#include "model/demo_models.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr int framesPerScene = 90;
constexpr double stepMs = 1000.0 / 60.0;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void ignoreMessage(const char* text, const char* caption) { std::fprintf(stderr, "%s: %s\n", caption, text); }

struct SceneSpan {
    const char* name;
    double startMs;   // demo time of the first measured frame
};
}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (argc > 1 && chdir(argv[1]) != 0) return 1;
    if (access("data/3ds/teren.3ds", R_OK) != 0) {
        std::fprintf(stderr, "run from the build folder that holds data/, or pass it as the argument\n");
        return 1;
    }
    setMessageBoxSink(ignoreMessage);
    fullscreen = false;
    soundEnabled = false;
    // The frame size: 1024 x 768 (the dialog's default) unless HALVEX_BENCH_SIZE says "W H".
    screenWidth = 1024;
    screenHeight = 768;
    if (const char* size = std::getenv("HALVEX_BENCH_SIZE")) std::sscanf(size, "%d %d", &screenWidth, &screenHeight);
    int64_t frequency = 0;
    if (!counterFrequency(frequency) || frequency <= 0) frequency = 1000000;
    if (!startVideo()) return 1;
    WindowHandle window = createGLWindow(windowTitle, screenWidth, screenHeight, false);
    if (!window) return 1;

    const Clock::time_point loadStart = Clock::now();
    installVirtualCounter(frequency);
    initDemo(window);
    if (!renderContext) return 1;
    std::printf("start-up (initDemo, sound off): %.1f ms\n", msSince(loadStart));
    const Model* models[] = {&spaceModel, &shipModel, &moduleModel, &terrainModel, &logoModel};
    const char* names[] = {"space", "ship", "module", "terrain", "logo"};
    for (int m = 0; m < 5; ++m) {
        long faces = 0;
        for (const Object3ds& object : models[m]->data.objects) faces += object.faceCount;
        std::printf("%s model: %ld triangles\n", names[m], faces);
    }
    std::printf("frame size %d x %d, %d frames per scene, demo time step %.2f ms\n", screenWidth, screenHeight,
                framesPerScene, stepMs);

    const SceneSpan spans[] = {{"scene 1 (space, 90 s)", 90000.0},
                               {"scene 2 (motion blur)", 135000.0},
                               {"scene 3 (terrain)", 160000.0},
                               {"scene 4 (logo, credits)", 215000.0}};
    for (const SceneSpan& span : spans) {
        // Jump to the span, then step frame by frame as the clock would.
        advanceVirtualCounter(static_cast<int64_t>((span.startMs - demoTime) * frequency / 1000.0));
        renderFrame();
        std::vector<double> times;
        for (int i = 0; i < framesPerScene; ++i) {
            advanceVirtualCounter(static_cast<int64_t>(stepMs * frequency / 1000.0));
            const Clock::time_point start = Clock::now();
            renderFrame();
            glFinish();
            times.push_back(msSince(start));
        }
        std::sort(times.begin(), times.end());
        std::printf("%-26s median %6.2f ms  p90 %6.2f ms  (%.0f frames/s at the median)\n", span.name,
                    times[times.size() / 2], times[times.size() * 9 / 10], 1000.0 / times[times.size() / 2]);
    }
    shutdownDemo();
    stopVideo();
    return 0;
}
