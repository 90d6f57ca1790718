// halvex-capture's runs. The virtual counter is installed before the demo reads any time, and the
// spawn timer that started with the process is started again on it, so the whole run is a function of
// (frame step, seed, settings).
#include "capture_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <set>
#include <vector>

#include <unistd.h>

#include "services/counter.h"
#include "services/data_search.h"
#include "services/demo_clock.h"
#include "shell/frame_clock.h"
#include "services/message_box.h"
#include "platform/quit_request.h"
#include "services/settings.h"
#include "platform/window.h"
#include "contact_sheet.h"
#include "demo/init_demo.h"
#include "demo/shutdown.h"
#include "image/gl_api.h"
#include "particles/emitter_spawn.h"
#include "sound/loopback_sound.h"
#include "demo_end.h"
#include "frame_writer.h"
#include "run_control.h"
#include "video_encoder.h"
#include "wav_file.h"

namespace {
struct CaptureOutputs {
    std::string outDir, sheetPath, audioPath, videoPath;
};

std::string absolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}
}  // namespace

bool enterDataRoot(const CaptureOptions& options) {
    // Without --data-root the tool looks where the programs look; a miss is reported there and the run
    // goes on without the files, as the programs do.
    if (options.dataRoot.empty()) {
        enterDataRoot("halvex-capture");
        return true;
    }
    const std::string root = options.dataRoot;
    if (chdir(root.c_str()) != 0) {
        std::fprintf(stderr, "halvex-capture: cannot enter the data root %s\n", root.c_str());
        return false;
    }
    if (!std::filesystem::is_directory("data"))
        std::fprintf(stderr, "halvex-capture: warning: %s has no data/ folder; the demo runs without its files\n",
                     root.c_str());
    return true;
}

void applyCaptureSettings(const CaptureOptions& options) {
    screenWidth = options.width * options.supersample;
    screenHeight = options.height * options.supersample;
    fullscreen = false;
    swapInStep = false;   // the virtual clock decides the pace, and the benchmark times frames, not refreshes
    originalAspect = options.originalAspect;
    soundEnabled = options.sound;
    requestedColorBits = options.bits;
    setMessageBoxSink(printMessageBoxToStderr);
}


namespace {
// Paths the user gave are taken from where the tool was started, before the demo moves to its data.
CaptureOutputs absoluteOutputs(const CaptureOptions& options) {
    return {absolutePath(options.outDir), absolutePath(options.sheetPath), absolutePath(options.audioPath),
            absolutePath(options.videoPath)};
}

bool startDemo(const CaptureOptions& options) {
    std::srand(options.seed);
    if (!startVideo(VideoDrivers::offscreen)) return false;
    const int width = options.width * options.supersample, height = options.height * options.supersample;
    WindowHandle window = createGLWindow(windowTitle, width, height, false);
    if (!window) {
        std::fprintf(stderr, "halvex-capture: the offscreen window could not be created at %dx%d\n", width, height);
        return false;
    }
    initDemo(window);
    if (quitRequestPending()) {
        std::fprintf(stderr, "halvex-capture: the demo asked to quit while loading; nothing is rendered\n");
        return false;
    }
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    if (viewport[0] < width || viewport[1] < height) {
        std::fprintf(stderr, "halvex-capture: the renderer draws at most %dx%d, less than %dx%d\n", viewport[0],
                     viewport[1], width, height);
        return false;
    }
    return true;
}

// The frames of the run, by index: [fromFrame, endFrame) is written, [0, endFrame) is rendered.
struct RunPlan {
    int64_t fromFrame = 0, endFrame = 0;
    std::set<int64_t> atFrames;      // --at
    std::set<int64_t> sheetFrames;   // at or after each multiple of --every inside the range
};

RunPlan planRun(const CaptureOptions& o, bool sheet) {
    RunPlan plan;
    plan.fromFrame = firstFrameAtOrAfter(o.fps, o.fromMs);
    plan.endFrame = framesToRender(o);
    for (double ms : o.atMs) plan.atFrames.insert(frameAtTime(o, ms));
    if (sheet)
        for (double ms = o.fromMs; ms < o.toMs; ms += o.everyMs) {
            const int64_t frame = firstFrameAtOrAfter(o.fps, ms);
            if (frame < plan.endFrame) plan.sheetFrames.insert(frame);
        }
    return plan;
}

struct CaptureState {
    explicit CaptureState(const CaptureOptions& runOptions) : options(runOptions) {}
    const CaptureOptions& options;
    CaptureOutputs outputs;
    RunPlan plan;
    ContactSheet sheet;
    VideoEncoder video;
    bool videoRunning = false;
    FrameWriter writer;
    WavWriter wav;
    std::vector<int16_t> soundChunk;
    int64_t framesRendered = 0;
    bool ok = true;
};

FrameJob jobFor(const CaptureState& state, int64_t frame) {
    const bool inRange = frame >= state.plan.fromFrame && frame < state.plan.endFrame;
    FrameJob job;
    job.ms = frameTimeMs(state.options.fps, frame);
    job.png = !state.outputs.outDir.empty() &&
              (state.options.atMs.empty() ? inRange : state.plan.atFrames.count(frame) > 0);
    job.sheet = !state.outputs.sheetPath.empty() && state.plan.sheetFrames.count(frame) > 0;
    job.video = state.videoRunning && inRange;
    return job;
}

// The size frames are rendered at when nothing of them is kept. Only the 512 x 512 corner that scene 2
// feeds back from frame to frame carries pixels over, and it depends on the projection's aspect ratio
// and nothing else of the size as long as both sides hold the corner; so the small size keeps both and
// the frames after it are exactly those of a run drawn at full size throughout. The true shape is kept
// by the smallest multiple of the size's lowest terms (equal fractions divide to the same double); the
// original look's integer ratio n by 512n x 512.
void smallRenderSize(int width, int height, bool original, int& smallWidth, int& smallHeight) {
    constexpr int corner = 512;
    smallWidth = width;
    smallHeight = height;
    int unitWidth = width / height, unitHeight = 1;   // the original look's integer ratio
    if (!original) {
        const int common = std::gcd(width, height);
        unitWidth = width / common;
        unitHeight = height / common;
    }
    if (unitWidth < 1) return;
    const int multiple = (corner + std::min(unitWidth, unitHeight) - 1) / std::min(unitWidth, unitHeight);
    if (unitWidth * multiple < width && unitHeight * multiple < height) {
        smallWidth = unitWidth * multiple;
        smallHeight = unitHeight * multiple;
    }
}

void readFrame(std::vector<uint8_t>& bottomFirst) {
    bottomFirst.resize(static_cast<size_t>(screenWidth) * screenHeight * 3);
    glReadBuffer(GL_FRONT);   // the offscreen drawable is single-buffered; after a swap the front holds the frame
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, screenWidth, screenHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomFirst.data());
}

// One frame at its exact time, full size or small, then the queue drained: SDL's offscreen window is an
// EGL pbuffer, and eglSwapBuffers on a pbuffer does nothing, so no swap ever makes Mesa flush or wait for
// the frames it has queued. Without this glFinish llvmpipe keeps accepting frames while earlier ones are
// still held, and memory grows with the length of the run; with it one frame is in the driver at a time.
void renderCaptureFrame(const CaptureOptions& o, int64_t frame, bool fullSize) {
    if (frame > 0) advanceVirtualCounter(countsPerFrame(o.fps));
    pinNextDemoTime(frameTimeMs(o.fps, frame));
    const int fullWidth = o.width * o.supersample, fullHeight = o.height * o.supersample;
    int width = fullWidth, height = fullHeight;
    if (!fullSize) smallRenderSize(fullWidth, fullHeight, o.originalAspect, width, height);
    screenWidth = width;
    screenHeight = height;
    const bool small = width != fullWidth || height != fullHeight;
    if (small) {
        glEnable(GL_SCISSOR_TEST);   // the clear too stays inside the small picture
        glScissor(0, 0, width, height);
    }
    renderFrame();
    glFinish();
    if (small) glDisable(GL_SCISSOR_TEST);
    screenWidth = fullWidth;
    screenHeight = fullHeight;
}

void mixFrameSound(CaptureState& state, int64_t frame) {
    if (!loopbackSoundOpen()) return;
    const FrameRate& fps = state.options.fps;
    const int rate = state.options.sampleRate;
    const int64_t count = samplesBeforeFrame(fps, rate, frame + 1) - samplesBeforeFrame(fps, rate, frame);
    state.soundChunk.resize(static_cast<size_t>(count) * 2);
    renderLoopbackSamples(state.soundChunk.data(), static_cast<int>(count));
    if (frame < state.plan.fromFrame || frame >= state.plan.endFrame) return;
    appendStereoWav(state.wav, state.soundChunk.data(), static_cast<int>(count));
    if (state.videoRunning) writeVideoSound(state.video, state.soundChunk.data(), static_cast<int>(count));
}

bool prepareOutputs(CaptureState& state) {
    const CaptureOptions& o = state.options;
    if (!state.outputs.outDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(state.outputs.outDir, error);
        if (error) {
            std::fprintf(stderr, "halvex-capture: cannot create %s\n", state.outputs.outDir.c_str());
            return false;
        }
    }
    if (!state.outputs.sheetPath.empty())
        startContactSheet(state.sheet, static_cast<int>(state.plan.sheetFrames.size()), o.width, o.height);
    if (!state.outputs.audioPath.empty()) {
        if (!loopbackSoundOpen()) {
            std::fprintf(stderr, "halvex-capture: no sound was mixed (--no-sound, or the loopback device is missing)\n");
            state.ok = false;
        } else if (!openStereoWav(state.wav, state.outputs.audioPath, o.sampleRate)) {
            state.ok = false;
        }
    }
    if (!state.outputs.videoPath.empty()) {
        if (!ffmpegAvailable()) {
            std::fprintf(stderr, "halvex-capture: ffmpeg is not installed, so no video is written "
                                 "(apt-get install ffmpeg); the other outputs are.\n");
            state.ok = false;
        } else if (startVideoEncoder(state.video, o, state.outputs.videoPath, loopbackSoundOpen())) {
            state.videoRunning = true;
        } else {
            state.ok = false;
        }
    }
    state.writer.outDir = state.outputs.outDir;
    state.writer.width = o.width;
    state.writer.height = o.height;
    state.writer.supersample = o.supersample;
    state.writer.sheet = state.outputs.sheetPath.empty() ? nullptr : &state.sheet;
    state.writer.video = state.videoRunning ? &state.video : nullptr;
    startFrameWriter(state.writer);
    return true;
}

void finishOutputs(CaptureState& state) {
    if (!finishFrameWriter(state.writer)) state.ok = false;
    if (state.wav.file && !closeStereoWav(state.wav)) state.ok = false;
    if (!state.outputs.sheetPath.empty() && !writePng(state.outputs.sheetPath, state.sheet.picture)) state.ok = false;
    if (state.videoRunning && !finishVideoEncoder(state.video)) {
        std::fprintf(stderr, "halvex-capture: ffmpeg failed to write %s\n", state.outputs.videoPath.c_str());
        state.ok = false;
    }
}

void renderRun(CaptureState& state) {
    const CaptureOptions& o = state.options;
    Progress progress = startProgress(state.plan.endFrame);
    for (int64_t frame = 0; frame < state.plan.endFrame && !stopRequested(); ++frame) {
        FrameJob job = jobFor(state, frame);
        const bool keep = job.png || job.sheet || job.video;
        renderCaptureFrame(o, frame, keep);
        if (keep) {
            readFrame(job.bottomFirst);
            queueFrame(state.writer, std::move(job));
        }
        mixFrameSound(state, frame);
        state.framesRendered = frame + 1;
        showProgress(progress, frame + 1, frameTimeMs(o.fps, frame));
    }
    showProgress(progress, state.framesRendered, frameTimeMs(o.fps, std::max<int64_t>(state.framesRendered - 1, 0)), true);
}
}  // namespace

bool settleCaptureEnd(CaptureOptions& options, FILE* report) {
    if (options.toGiven) return true;
    const DemoEnd end = findDemoEnd();
    std::fprintf(report,
                 "halvex-capture: the demo ends at %.3f s: the music ends at %.3f s, the last credit line has left "
                 "the screen at %.3f s\n",
                 end.endMs / 1000.0, end.musicEndMs / 1000.0, end.creditsGoneMs / 1000.0);
    settleRunEnd(options, end.endMs);
    if (options.toMs <= options.fromMs) {
        std::fprintf(stderr, "halvex-capture: --from %.0f lies after the end of the demo\n", options.fromMs);
        return false;
    }
    return true;
}

int runCapture(const CaptureOptions& givenOptions) {
    CaptureOptions options = givenOptions;
    CaptureState state(options);
    state.outputs = absoluteOutputs(options);
    if (!enterDataRoot(options)) return 1;
    if (!settleCaptureEnd(options, stderr)) return 2;
    applyCaptureSettings(options);
    installVirtualCounter(counterFrequency(options.fps));
    emitterSpawnTimer = Timer();
    if (options.sound && !openLoopbackSound(options.sampleRate))
        std::fprintf(stderr, "halvex-capture: no loopback sound device; the run is silent\n");
    state.plan = planRun(options, !state.outputs.sheetPath.empty());
    installStopHandlers();
    if (!prepareOutputs(state)) return 1;
    if (!startDemo(options)) {
        finishOutputs(state);
        shutdownDemo();
        closeLoopbackSound();
        return 1;
    }
    renderRun(state);
    finishOutputs(state);
    shutdownDemo();
    closeLoopbackSound();
    std::fprintf(stderr, "halvex-capture: %lld frames rendered; peak resident memory: %.1f MB\n",
                 static_cast<long long>(state.framesRendered), peakResidentMegabytes());
    if (stopRequested()) {
        std::fprintf(stderr, "halvex-capture: stopped; the files hold the %lld frames rendered from --from on\n",
                     static_cast<long long>(std::max<int64_t>(0, state.framesRendered - state.plan.fromFrame)));
        return 130;
    }
    return state.ok ? 0 : 1;
}
