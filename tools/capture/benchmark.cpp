// The benchmark: the demo on the real clock, rendered back to back offscreen, timed per scene and per
// loading phase, with the rasteriser's fill limit and the peak resident memory of the same run. Single
// frames sometimes stall on shared machines, so medians lead; the demo time of each scene's worst frame
// tells a stall of ours (always at the same moment) from one of the machine (anywhere, run to run).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "services/demo_clock.h"
#include "shell/frame_clock.h"
#include "demo/timeline.h"
#include "services/load_phases.h"
#include "platform/quit_request.h"
#include "platform/virtual_screen.h"
#include "platform/window.h"
#include "capture_run.h"
#include "demo/init_demo.h"
#include "demo/shutdown.h"
#include "fill_limit.h"
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

struct FrameSample {
    double ms;       // wall-clock time of renderFrame and glFinish
    double demoMs;   // the demo time the frame showed
};

// Frames after the scene's first that took more than twice its median: a stall of ours comes back at
// the same demo time in every run, one of the shared machine anywhere.
void printSlowFrames(const std::vector<FrameSample>& frames, double median) {
    constexpr size_t listed = 6;
    std::vector<const FrameSample*> slow;
    for (size_t i = 1; i < frames.size(); ++i)
        if (frames[i].ms > 2.0 * median) slow.push_back(&frames[i]);
    if (slow.empty()) return;
    std::sort(slow.begin(), slow.end(), [](const FrameSample* a, const FrameSample* b) { return a->ms > b->ms; });
    std::printf("  %zu frames over twice the median after the first; the slowest:", slow.size());
    for (size_t i = 0; i < slow.size() && i < listed; ++i) std::printf(" %.1f ms at %.0f,", slow[i]->ms, slow[i]->demoMs);
    std::printf("\n");
}

void printSceneLine(int scene, const std::vector<FrameSample>& frames) {
    if (frames.empty()) {
        std::printf("scene %d: not reached\n", scene + 1);
        return;
    }
    std::vector<double> ms;
    double total = 0.0;
    const FrameSample* worst = &frames.front();
    for (const FrameSample& f : frames) {
        ms.push_back(f.ms);
        total += f.ms;
        if (f.ms > worst->ms) worst = &f;
    }
    std::printf("scene %d: %.1f fps (median %.1f ms, p95 %.1f ms, p99 %.1f ms, worst %.1f ms at demo time %.0f ms, "
                "%zu frames)\n",
                scene + 1, 1000.0 * frames.size() / total, percentile(ms, 0.5), percentile(ms, 0.95),
                percentile(ms, 0.99), worst->ms, worst->demoMs, frames.size());
    printSlowFrames(frames, percentile(ms, 0.5));
}

void printFillLimits(const FillLimits& limits) {
    std::printf("fill limit: full-screen clear %.1f ms; one full-screen quad with the terrain's state (two trilinear "
                "units, exp fog) %.1f ms, with the sky's state (one trilinear unit) %.1f ms\n",
                limits.clearMs, limits.terrainMs, limits.skyMs);
}

// What the full screen adds to a frame when the display is larger than the picture: the picture scaled
// into the display (black bars cleared around it), by each way it can be done.
void printPresentationCosts(const CaptureOptions& options) {
    const int displayWidth = options.presentWidth > 0 ? options.presentWidth : 1920;
    const int displayHeight = options.presentWidth > 0 ? options.presentHeight : 1080;
    const bool openedHere = !virtualScreenOpen();
    std::string why;
    if (openedHere && !openVirtualScreen(options.width, options.height, options.bits, why)) {
        std::printf("presenting scaled: not measured (%s)\n", why.c_str());
        return;
    }
    const PictureRect picture = placePicture(options.width, options.height, displayWidth, displayHeight, false);
    // The ways take turns, so that a busy spell of the shared machine falls on all of them alike.
    constexpr PresentMethod methods[] = {PresentMethod::ShaderQuad, PresentMethod::BlitLinear,
                                         PresentMethod::TexturedQuad, PresentMethod::BlitNearest,
                                         PresentMethod::TexturedQuadNearest};
    constexpr int rounds = 5, framesPerRound = 12;
    std::vector<std::vector<double>> ms(std::size(methods));
    for (int round = 0; round < rounds; ++round)
        for (size_t i = 0; i < std::size(methods); ++i)
            ms[i].push_back(measurePresentation(methods[i], displayWidth, displayHeight, framesPerRound));
    std::printf("presenting %dx%d scaled into %dx%d on a %dx%d display, black bars included (median of %d):",
                options.width, options.height, picture.width, picture.height, displayWidth, displayHeight,
                rounds * framesPerRound);
    for (size_t i = 0; i < std::size(methods); ++i) {
        const double median = percentile(ms[i], 0.5);
        if (median < 0.0) std::printf(" %s not available;", presentMethodName(methods[i]));
        else std::printf(" %s %.2f ms;", presentMethodName(methods[i]), median);
    }
    std::printf(" the program uses the %s\n", presentMethodName(presentMethodInUse()));
    if (openedHere) closeVirtualScreen();
}

void printPeakMemory() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) == 0)
        std::printf("peak resident memory: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
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
    if (!startVideo(VideoDrivers::offscreen)) return 1;

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

    if (options.presentWidth > 0) {
        std::string why;
        if (!openVirtualScreen(options.width, options.height, options.bits, why) ||
            !presentIntoStandIn(options.presentWidth, options.presentHeight)) {
            std::fprintf(stderr, "halvex-capture: no virtual screen for --present-to: %s\n", why.c_str());
            shutdownDemo();
            return 1;
        }
    }

    // A later start is a stall the timeline allows: it lets one scene be measured on its own.
    demoTime = options.fromMs;
    std::vector<std::vector<FrameSample>> sceneFrames(timelineSceneCount);
    Clock::time_point firstFrame{};
    while (demoTime < options.toMs) {
        const Clock::time_point before = Clock::now();
        renderFrame();
        glFinish();
        const Clock::time_point after = Clock::now();
        if (firstFrame == Clock::time_point{}) firstFrame = after;
        sceneFrames[sceneIndexAt(demoTime)].push_back({msBetween(before, after), demoTime});
    }
    const PixelFormatInfo format = obtainedPixelFormat();
    std::printf("halvex%d at %dx%d, colour %d/%d/%d, depth %d, renderer %s\n", options.bits, options.width,
                options.height, format.red, format.green, format.blue, format.depth,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    if (options.presentWidth > 0)
        std::printf("each frame scaled into a %dx%d display, as the full screen does\n", options.presentWidth,
                    options.presentHeight);
    for (int scene = 0; scene < timelineSceneCount; ++scene) printSceneLine(scene, sceneFrames[scene]);
    printFillLimits(measureFillLimits(options.width, options.height));
    printPresentationCosts(options);
    printStartUp(start, loaded, firstFrame);
    printPeakMemory();
    shutdownDemo();
    return 0;
}
