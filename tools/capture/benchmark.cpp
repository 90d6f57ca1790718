// The benchmark: the demo on the real clock, rendered back to back offscreen, timed per scene and per
// loading phase. Single frames sometimes stall on shared machines, so medians lead.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/demo_clock.h"
#include "app/frame_clock.h"
#include "demo/timeline.h"
#include "app/load_phases.h"
#include "app/quit_request.h"
#include "app/window.h"
#include "capture_run.h"
#include "demo/init_demo.h"
#include "demo/shutdown.h"
#include "image/gl_api.h"

namespace {
using Clock = std::chrono::steady_clock;

struct PhaseMark {
    std::string name;
    Clock::time_point at;
};
std::vector<PhaseMark> phaseMarks;

void notePhase(const char* phase) { phaseMarks.push_back({phase, Clock::now()}); }

double msBetween(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * (values.size() - 1) + 0.5));
    return values[index];
}

void printSceneLine(int scene, const std::vector<double>& frameMs) {
    if (frameMs.empty()) {
        std::printf("scene %d: not reached\n", scene + 1);
        return;
    }
    double total = 0.0;
    for (double ms : frameMs) total += ms;
    std::printf("scene %d: %.1f fps (median %.1f ms, p95 %.1f ms, worst %.1f ms)\n", scene + 1,
                1000.0 * frameMs.size() / total, percentile(frameMs, 0.5), percentile(frameMs, 0.95),
                *std::max_element(frameMs.begin(), frameMs.end()));
}

void printStartUp(Clock::time_point start, Clock::time_point loaded, Clock::time_point firstFrame) {
    for (size_t i = 0; i < phaseMarks.size(); ++i) {
        const Clock::time_point end = i + 1 < phaseMarks.size() ? phaseMarks[i + 1].at : loaded;
        std::printf("start-up %-18s %8.1f ms\n", phaseMarks[i].name.c_str(), msBetween(phaseMarks[i].at, end));
    }
    std::printf("start-up total to the first frame: %.1f ms\n", msBetween(start, firstFrame));
}
}  // namespace

int runBenchmark(const CaptureOptions& options) {
    const Clock::time_point start = Clock::now();
    if (!enterDataRoot(options)) return 1;
    applyCaptureSettings(options);
    std::srand(options.seed);
    if (!startVideo()) return 1;

    notePhase("window");
    WindowHandle window = createGLWindow(windowTitle, options.width, options.height, false);
    if (!window) return 1;
    setLoadPhaseObserver(notePhase);
    initDemo(window);
    setLoadPhaseObserver(nullptr);
    const Clock::time_point loaded = Clock::now();
    if (quitRequestPending()) {
        std::fprintf(stderr, "halvex-capture: the demo asked to quit while loading\n");
        shutdownDemo();
        return 1;
    }

    std::vector<double> sceneFrames[4];
    Clock::time_point firstFrame{};
    while (demoTime < options.toMs) {
        const Clock::time_point before = Clock::now();
        renderFrame();
        glFinish();
        const Clock::time_point after = Clock::now();
        if (firstFrame == Clock::time_point{}) firstFrame = after;
        sceneFrames[sceneIndexAt(demoTime)].push_back(msBetween(before, after));
    }
    const PixelFormatInfo format = obtainedPixelFormat();
    std::printf("halvex%d at %dx%d, colour %d/%d/%d, depth %d, renderer %s\n", options.bits, options.width,
                options.height, format.red, format.green, format.blue, format.depth,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    for (int scene = 0; scene < 4; ++scene) printSceneLine(scene, sceneFrames[scene]);
    printStartUp(start, loaded, firstFrame);
    shutdownDemo();
    return 0;
}
