// Option parsing for halvex-capture: strict numbers, sizes as WxH, comma-separated times.
#include "capture_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char* const captureUsage =
    "usage: halvex-capture [options]\n"
    "Renders the demo offscreen with a virtual clock, exactly as a viewer at the chosen frame rate would\n"
    "have seen it: frame k is at demo time k x 1000/fps ms. No display is needed.\n"
    "\n"
    "  --out DIR          write PNG frames DIR/frame-NNNNNNN.png (NNNNNNN: demo time in whole ms)\n"
    "  --from MS          first demo time written (default 0); frames before it are rendered small\n"
    "                     (only the demo's state is carried forward); with --benchmark, where the\n"
    "                     clock starts\n"
    "  --to MS            end of the run, exclusive (default: the end of the demo, when the music has\n"
    "                     ended and the last credit line has left the screen, whichever is later; the\n"
    "                     same demo time at every --fps; see below)\n"
    "  --at MS,MS,...     write only the frames at these demo times (each a whole number of steps)\n"
    "  --fps N[/D]        frames per second, a whole number or a ratio: 50, 60000/1001 (default 30)\n"
    "  --size WxH         picture size in pixels, up to 7680x4320 (default 1024x768); the 3D picture\n"
    "                     keeps its true shape at every size, with a vertical field of 90 degrees\n"
    "  --original-aspect  the 3D picture as the demo first drew it: the aspect ratio width / height\n"
    "                     rounded down (1 for 4:3, so a third too wide), byte-identical to that look\n"
    "  --supersample N    render at N times the size (1 to 4) and average each N x N block (default 1)\n"
    "  --rate HZ          sound sample rate, 44100 or 48000 (default 44100)\n"
    "  --sheet FILE       write a contact sheet PNG with a labelled thumbnail every --every ms\n"
    "  --every MS         contact sheet spacing (default 5000)\n"
    "  --audio FILE       write the mixed sound of the run as a 16-bit stereo WAV\n"
    "  --video FILE       encode the frames and the sound with ffmpeg while the run goes on\n"
    "  --preset web|master  the video: web (default) is H.264 High, yuv420p, a closed GOP of half the\n"
    "                     frame rate, 2 B-frames, AAC-LC at 48 kHz, index at the front (an .mp4);\n"
    "                     master is lossless FFV1 RGB with FLAC sound in Matroska (an .mkv)\n"
    "  --seed N           seed of the random generator, which places the particles (default 1)\n"
    "  --bits 16|32       pixel format of halvex16 or halvex32 (default 32)\n"
    "  --no-sound         as unticking \"Zapnuto\" in the settings dialog\n"
    "  --data-root DIR    folder that holds data/ (default: the first of $HALVEX_DATA_DIR, the working\n"
    "                     directory, this program's folder and its ../share/halvex that holds data/)\n"
    "  --benchmark        render in real time as fast as possible and print per scene the frames per\n"
    "                     second, median, p95, p99 and worst frame time (with its demo time), the\n"
    "                     fill limit, the start-up time of each loading phase and the peak resident\n"
    "                     memory (--to sets the end, default 200000), and the cost of scaling a --size\n"
    "                     picture into a 1920x1080 display (or the --present-to size), each way the full\n"
    "                     screen can do it\n"
    "  --present-to WxH   with --benchmark: draw as the full screen does on a WxH display, each frame\n"
    "                     scaled into a stand-in of that size (the display's own copy is not counted)\n"
    "  --help             this text, and where the demo ends\n"
    "Ctrl+C or SIGTERM stops the run and finishes every file being written, up to the last frame\n"
    "rendered; a second one stops at once. Progress goes to standard error.\n"
    "Exit codes: 0 done, 1 failed while running, 2 bad options, 130 stopped by a signal.\n";

namespace {
constexpr double maxRunMs = 1e9;   // 11 days: frame counts stay far inside 64 bits at any rate

bool parseNumber(const char* text, double& value) {
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text, &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(value);
}

bool parseInt(const char* text, long lo, long hi, long& value) {
    double number = 0.0;
    if (!parseNumber(text, number) || number != std::floor(number) || number < lo || number > hi) return false;
    value = static_cast<long>(number);
    return true;
}

bool parseSize(const char* text, int& width, int& height) {
    const char* x = std::strchr(text, 'x');
    if (!x) return false;
    const std::string w(text, x);
    long wv = 0, hv = 0;
    if (!parseInt(w.c_str(), 16, maxCaptureWidth, wv) || !parseInt(x + 1, 16, maxCaptureHeight, hv)) return false;
    width = static_cast<int>(wv);
    height = static_cast<int>(hv);
    return true;
}

bool parseTimes(const char* text, std::vector<double>& times) {
    std::string list = text;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        double value = 0.0;
        if (!parseNumber(list.substr(start, comma - start).c_str(), value) || value < 0) return false;
        times.push_back(value);
        start = comma + 1;
    }
    return !times.empty();
}

bool takesValue(const std::string& name) {
    static const char* const withValue[] = {"--out", "--from", "--to", "--at", "--fps", "--size", "--sheet",
                                            "--every", "--audio", "--video", "--seed", "--bits", "--data-root",
                                            "--supersample", "--rate", "--preset", "--present-to"};
    for (const char* option : withValue)
        if (name == option) return true;
    return false;
}

bool applyOption(const std::string& name, const char* value, CaptureOptions& o, std::string& error) {
    long number = 0;
    auto bad = [&](const char* what) {
        error = "bad value for " + name + ": '" + value + "' (" + what + ")";
        return false;
    };
    if (name == "--out") o.outDir = value;
    else if (name == "--sheet") o.sheetPath = value;
    else if (name == "--audio") o.audioPath = value;
    else if (name == "--video") o.videoPath = value;
    else if (name == "--data-root") o.dataRoot = value;
    else if (name == "--from") {
        if (!parseNumber(value, o.fromMs) || o.fromMs < 0 || o.fromMs > maxRunMs) return bad("milliseconds, 0 to 1000000000");
    } else if (name == "--to") {
        if (!parseNumber(value, o.toMs) || o.toMs < 0 || o.toMs > maxRunMs) return bad("milliseconds, 0 to 1000000000");
        o.toGiven = true;
    } else if (name == "--every") {
        // A step below a millisecond could vanish against a large demo time and never end the plan.
        if (!parseNumber(value, o.everyMs) || o.everyMs < 1.0) return bad("milliseconds, 1 or more");
    } else if (name == "--fps") {
        if (!parseFrameRate(value, o.fps)) return bad("a whole number or a ratio N/D of whole numbers, 1 to 1000 a second");
    } else if (name == "--supersample") {
        if (!parseInt(value, 1, 4, number)) return bad("a whole number from 1 to 4");
        o.supersample = static_cast<int>(number);
    } else if (name == "--rate") {
        if (!parseInt(value, 44100, 48000, number) || (number != 44100 && number != 48000)) return bad("44100 or 48000");
        o.sampleRate = static_cast<int>(number);
    } else if (name == "--preset") {
        const std::string preset = value;
        if (preset != "web" && preset != "master") return bad("web or master");
        o.preset = preset == "web" ? VideoPreset::web : VideoPreset::master;
        o.presetGiven = true;
    } else if (name == "--seed") {
        if (!parseInt(value, 0, 4294967295L, number)) return bad("a whole number from 0 to 4294967295");
        o.seed = static_cast<unsigned>(number);
    } else if (name == "--bits") {
        if (!parseInt(value, 16, 32, number) || (number != 16 && number != 32)) return bad("16 or 32");
        o.bits = static_cast<int>(number);
    } else if (name == "--size") {
        if (!parseSize(value, o.width, o.height)) return bad("WIDTHxHEIGHT, 16x16 to 7680x4320");
    } else if (name == "--present-to") {
        if (!parseSize(value, o.presentWidth, o.presentHeight)) return bad("WIDTHxHEIGHT, 16x16 to 7680x4320");
    } else if (name == "--at") {
        if (!parseTimes(value, o.atMs)) return bad("comma-separated milliseconds");
    }
    return true;
}

bool refuse(std::string& error, const std::string& message) {
    error = message;
    return false;
}

bool checkConsistency(CaptureOptions& o, std::string& error) {
    if (o.toGiven && o.toMs <= o.fromMs && o.atMs.empty())
        return refuse(error, "the range ends before it starts: --to must be greater than --from");
    for (double ms : o.atMs) {
        if (frameAtTime(o, ms) < 0)
            return refuse(error, "--at " + std::to_string(static_cast<long long>(ms)) +
                                     " is not a whole number of frame steps at " + frameRateText(o.fps) +
                                     " fps (1000/fps ms each)");
    }
    if (!o.atMs.empty() && !o.toGiven) {
        const double last = *std::max_element(o.atMs.begin(), o.atMs.end());
        o.toMs = frameTimeMs(o, frameAtTime(o, last) + 1);
        o.toGiven = true;
    }
    if (o.presentWidth > 0 && !o.benchmark) return refuse(error, "--present-to goes with --benchmark");
    if (o.width * o.supersample > maxRenderSide || o.height * o.supersample > maxRenderSide)
        return refuse(error, "--size times --supersample is " + std::to_string(o.width * o.supersample) + "x" +
                                 std::to_string(o.height * o.supersample) + ", more than the renderer's " +
                                 std::to_string(maxRenderSide) + " pixels a side");
    if (o.videoPath.empty() && o.presetGiven) return refuse(error, "--preset needs --video FILE");
    // yuv420p halves both sides; an odd side would need a bar or a crop.
    if (!o.videoPath.empty() && o.preset == VideoPreset::web && (o.width % 2 || o.height % 2))
        return refuse(error, "--preset web needs an even width and height (yuv420p)");
    if (!o.videoPath.empty() && o.benchmark) return refuse(error, "--video and --benchmark do not go together");
    return true;
}
}  // namespace

bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options, std::string& error) {
    options = CaptureOptions{};
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") options.help = true;
        else if (name == "--no-sound") options.sound = false;
        else if (name == "--original-aspect") options.originalAspect = true;
        else if (name == "--benchmark") options.benchmark = true;
        else if (takesValue(name)) {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            if (!applyOption(name, argv[++i], options, error)) return false;
        } else {
            error = "unknown option '" + name + "'";
            return false;
        }
    }
    if (options.benchmark && !options.toGiven) {
        options.toMs = 200000.0;
        options.toGiven = true;
    }
    return options.help || checkConsistency(options, error);
}

double frameTimeMs(const CaptureOptions& options, long frame) { return frameTimeMs(options.fps, frame); }

long frameAtTime(const CaptureOptions& options, double ms) {
    return static_cast<long>(frameAtExactTime(options.fps, ms));
}

long framesToRender(const CaptureOptions& options) {
    // Frames 0 .. n-1 with frame n-1 the last one before toMs.
    return static_cast<long>(firstFrameAtOrAfter(options.fps, options.toMs));
}

void settleRunEnd(CaptureOptions& options, double endMs) {
    if (!options.toGiven) options.toMs = endMs;
}
