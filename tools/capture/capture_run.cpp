// halvex-capture's runs. The virtual counter is installed before the demo reads any time, and the
// spawn timer that started with the process is started again on it, so the whole run is a function of
// (frame step, seed, settings).
#include "capture_run.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
#include "video_pipe.h"
#include "wav_file.h"

namespace {
constexpr int captureSampleRate = 44100;
constexpr int64_t countsPerFrameStep = 100000;   // the virtual counter runs at fps x this

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
    screenWidth = options.width;
    screenHeight = options.height;
    fullscreen = false;
    swapInStep = false;   // the virtual clock decides the pace, and the benchmark times frames, not refreshes
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
    WindowHandle window = createGLWindow(windowTitle, options.width, options.height, false);
    if (!window) {
        std::fprintf(stderr, "halvex-capture: the offscreen window could not be created\n");
        return false;
    }
    initDemo(window);
    if (quitRequestPending()) {
        std::fprintf(stderr, "halvex-capture: the demo asked to quit while loading; nothing is rendered\n");
        return false;
    }
    return true;
}

void readFrame(RgbPicture& frame) {
    frame.width = screenWidth;
    frame.height = screenHeight;
    std::vector<uint8_t> bottomFirst(static_cast<size_t>(frame.width) * frame.height * 3);
    glFinish();
    glReadBuffer(GL_FRONT);   // the offscreen drawable is single-buffered; after a swap the front holds the frame
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, bottomFirst.data());
    frame.pixels.resize(bottomFirst.size());
    const size_t row = static_cast<size_t>(frame.width) * 3;
    for (int y = 0; y < frame.height; ++y)
        std::copy_n(&bottomFirst[(frame.height - 1 - y) * row], row, &frame.pixels[y * row]);
}

std::string frameFileName(double ms) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%07lld.png", static_cast<long long>(std::llround(ms)));
    return name;
}

std::string sheetLabel(double ms) {
    char label[32];
    std::snprintf(label, sizeof label, "%.1f S", ms / 1000.0);
    return label;
}

// Thumbnails go to the frames at or after each multiple of --every inside the range.
struct SheetPlan {
    std::set<long> frames;
};

SheetPlan planSheet(const CaptureOptions& options) {
    SheetPlan plan;
    for (double ms = options.fromMs; ms < options.toMs; ms += options.everyMs) {
        const long frame = static_cast<long>(std::ceil(ms * options.fps / 1000.0 - 1e-9));
        if (frameTimeMs(options, frame) < options.toMs) plan.frames.insert(frame);
    }
    return plan;
}

long long samplesBefore(long frame, int fps) { return std::llround(static_cast<double>(frame) * captureSampleRate / fps); }

class ProgressLine {
public:
    explicit ProgressLine(long total) : total_(total), start_(std::chrono::steady_clock::now()), last_(start_) {}
    void update(long frame, double demoMs) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::seconds(1) && frame + 1 < total_) return;
        last_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0 ? (frame + 1) / seconds : 0.0;
        const double left = rate > 0 ? (total_ - frame - 1) / rate : 0.0;
        std::fprintf(stderr, "\rframe %ld/%ld  demo time %.0f ms  %.1f fps  %.0f s left   ", frame + 1, total_, demoMs,
                     rate, left);
        if (frame + 1 >= total_) std::fprintf(stderr, "\n");
    }

private:
    long total_;
    std::chrono::steady_clock::time_point start_, last_;
};

struct CaptureState {
    explicit CaptureState(const CaptureOptions& runOptions) : options(runOptions) {}
    const CaptureOptions& options;
    CaptureOutputs outputs;
    std::set<long> atFrames;
    SheetPlan sheetPlan;
    ContactSheet sheet;
    VideoPipe video;
    std::vector<int16_t> audio;
    bool soundMixed = false;   // the loopback device was open for the run
    bool ok = true;
};

bool inRange(const CaptureOptions& options, double ms) { return ms >= options.fromMs - 1e-6 && ms < options.toMs; }

void handleFrame(CaptureState& state, long frame, double ms) {
    const CaptureOptions& o = state.options;
    const bool writePngFrame = !state.outputs.outDir.empty() &&
                               (o.atMs.empty() ? inRange(o, ms) : state.atFrames.count(frame) > 0);
    const bool toSheet = !state.outputs.sheetPath.empty() && state.sheetPlan.frames.count(frame) > 0;
    const bool toVideo = state.video.pipe && inRange(o, ms);
    if (!writePngFrame && !toSheet && !toVideo) return;
    RgbPicture picture;
    readFrame(picture);
    if (writePngFrame && !writePng(state.outputs.outDir + "/" + frameFileName(ms), picture)) state.ok = false;
    if (toSheet) addThumbnail(state.sheet, picture, sheetLabel(ms));
    if (toVideo && !writeVideoFrame(state.video, picture)) state.ok = false;
}

void mixFrameSound(CaptureState& state, long frame, double ms) {
    if (!loopbackSoundOpen()) return;
    const long long count = samplesBefore(frame + 1, state.options.fps) - samplesBefore(frame, state.options.fps);
    std::vector<int16_t> chunk(static_cast<size_t>(count) * 2);
    renderLoopbackSamples(chunk.data(), static_cast<int>(count));
    if (inRange(state.options, ms)) state.audio.insert(state.audio.end(), chunk.begin(), chunk.end());
}

bool prepareOutputs(CaptureState& state) {
    const CaptureOptions& o = state.options;
    for (double ms : o.atMs) state.atFrames.insert(frameAtTime(o, ms));
    if (!state.outputs.outDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(state.outputs.outDir, error);
        if (error) {
            std::fprintf(stderr, "halvex-capture: cannot create %s\n", state.outputs.outDir.c_str());
            return false;
        }
    }
    if (!state.outputs.sheetPath.empty()) {
        state.sheetPlan = planSheet(o);
        startContactSheet(state.sheet, static_cast<int>(state.sheetPlan.frames.size()), o.width, o.height);
    }
    if (!state.outputs.videoPath.empty()) {
        if (!ffmpegAvailable()) {
            std::fprintf(stderr, "halvex-capture: ffmpeg is not installed, so no video is written "
                                 "(apt-get install ffmpeg); the other outputs are.\n");
            state.ok = false;
        } else if (!openVideoPipe(state.video, state.outputs.videoPath, o.width, o.height, o.fps)) {
            std::fprintf(stderr, "halvex-capture: ffmpeg could not be started\n");
            state.ok = false;
        }
    }
    return true;
}

void finishOutputs(CaptureState& state) {
    const bool wantSound = !state.outputs.audioPath.empty() || state.video.pipe;
    std::string audioPath = state.outputs.audioPath;
    if (wantSound && state.soundMixed) {
        if (audioPath.empty()) audioPath = state.outputs.videoPath + ".sound.wav";
        if (!writeStereoWav(audioPath, state.audio, captureSampleRate)) state.ok = false;
    } else if (!state.outputs.audioPath.empty()) {
        std::fprintf(stderr, "halvex-capture: no sound was mixed (--no-sound, or the loopback device is missing)\n");
        state.ok = false;
        audioPath.clear();
    } else {
        audioPath.clear();
    }
    if (!state.outputs.sheetPath.empty() && !writePng(state.outputs.sheetPath, state.sheet.picture)) state.ok = false;
    if (state.video.pipe && !finishVideo(state.video, state.outputs.videoPath, audioPath)) {
        std::fprintf(stderr, "halvex-capture: ffmpeg failed to write %s\n", state.outputs.videoPath.c_str());
        state.ok = false;
    }
    if (state.outputs.audioPath.empty() && !audioPath.empty()) std::remove(audioPath.c_str());
}
}  // namespace

int runCapture(const CaptureOptions& options) {
    CaptureState state(options);
    state.outputs = absoluteOutputs(options);
    if (!enterDataRoot(options)) return 1;
    applyCaptureSettings(options);
    installVirtualCounter(static_cast<int64_t>(options.fps) * countsPerFrameStep);
    emitterSpawnTimer = Timer();
    if (options.sound && !openLoopbackSound(captureSampleRate))
        std::fprintf(stderr, "halvex-capture: no loopback sound device; the run is silent\n");
    state.soundMixed = loopbackSoundOpen();
    if (!prepareOutputs(state)) return 1;
    if (!startDemo(options)) {
        shutdownDemo();
        closeLoopbackSound();
        return 1;
    }

    const long frames = framesToRender(options);
    ProgressLine progress(frames);
    for (long frame = 0; frame < frames; ++frame) {
        if (frame > 0) advanceVirtualCounter(countsPerFrameStep);
        renderFrame();
        const double ms = frameTimeMs(options, frame);
        handleFrame(state, frame, ms);
        mixFrameSound(state, frame, ms);
        progress.update(frame, demoTime);
    }
    shutdownDemo();
    closeLoopbackSound();
    finishOutputs(state);
    return state.ok ? 0 : 1;
}
