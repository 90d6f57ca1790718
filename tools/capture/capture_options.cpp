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
    "  --from MS          first demo time written (default 0); with --benchmark, where the clock starts\n"
    "  --to MS            end of the run, exclusive (default 189000)\n"
    "  --at MS,MS,...     write only the frames at these demo times (each a whole number of steps)\n"
    "  --fps N            frames per second (default 30)\n"
    "  --size WxH         picture size in pixels (default 1024x768)\n"
    "  --sheet FILE       write a contact sheet PNG with a labelled thumbnail every --every ms\n"
    "  --every MS         contact sheet spacing (default 5000)\n"
    "  --audio FILE       write the mixed sound of the run as a 16-bit stereo WAV\n"
    "  --video FILE       mux the frames and the sound into a video with ffmpeg (if installed)\n"
    "  --seed N           seed of the random generator, which places the particles (default 1)\n"
    "  --bits 16|32       pixel format of halvex16 or halvex32 (default 32)\n"
    "  --no-sound         as unticking \"Zapnuto\" in the settings dialog\n"
    "  --data-root DIR    folder that holds data/ (default: the first of $HALVEX_DATA_DIR, the working\n"
    "                     directory, this program's folder and its ../share/halvex that holds data/)\n"
    "  --benchmark        render in real time as fast as possible and print per scene the frames per\n"
    "                     second, median, p95, p99 and worst frame time (with its demo time), the\n"
    "                     fill limit, the start-up time of each loading phase and the peak resident\n"
    "                     memory (--to sets the end), and the cost of scaling a --size picture into a\n"
    "                     1920x1080 display (or the --present-to size), each way the full screen can\n"
    "                     do it\n"
    "  --present-to WxH   with --benchmark: draw as the full screen does on a WxH display, each frame\n"
    "                     scaled into a stand-in of that size (the display's own copy is not counted)\n"
    "  --help             this text\n"
    "Exit codes: 0 done, 1 failed while running, 2 bad options.\n";

namespace {
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
    if (!parseInt(w.c_str(), 16, 8192, wv) || !parseInt(x + 1, 16, 8192, hv)) return false;
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
                                            "--present-to"};
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
        if (!parseNumber(value, o.fromMs) || o.fromMs < 0) return bad("milliseconds, 0 or more");
    } else if (name == "--to") {
        if (!parseNumber(value, o.toMs) || o.toMs < 0) return bad("milliseconds, 0 or more");
        o.toGiven = true;
    } else if (name == "--every") {
        if (!parseNumber(value, o.everyMs) || o.everyMs <= 0) return bad("milliseconds, more than 0");
    } else if (name == "--fps") {
        if (!parseInt(value, 1, 1000, number)) return bad("a whole number from 1 to 1000");
        o.fps = static_cast<int>(number);
    } else if (name == "--seed") {
        if (!parseInt(value, 0, 4294967295L, number)) return bad("a whole number from 0 to 4294967295");
        o.seed = static_cast<unsigned>(number);
    } else if (name == "--bits") {
        if (!parseInt(value, 16, 32, number) || (number != 16 && number != 32)) return bad("16 or 32");
        o.bits = static_cast<int>(number);
    } else if (name == "--size") {
        if (!parseSize(value, o.width, o.height)) return bad("WIDTHxHEIGHT, each 16 to 8192");
    } else if (name == "--present-to") {
        if (!parseSize(value, o.presentWidth, o.presentHeight)) return bad("WIDTHxHEIGHT, each 16 to 8192");
    } else if (name == "--at") {
        if (!parseTimes(value, o.atMs)) return bad("comma-separated milliseconds");
    }
    return true;
}

bool checkConsistency(CaptureOptions& o, std::string& error) {
    if (o.toMs <= o.fromMs && o.atMs.empty()) {
        error = "the range ends before it starts: --to must be greater than --from";
        return false;
    }
    for (double ms : o.atMs) {
        if (frameAtTime(o, ms) < 0) {
            error = "--at " + std::to_string(static_cast<long long>(ms)) + " is not a whole number of frame steps at " +
                    std::to_string(o.fps) + " fps (1000/fps ms each)";
            return false;
        }
    }
    if (!o.atMs.empty() && !o.toGiven) o.toMs = *std::max_element(o.atMs.begin(), o.atMs.end()) + 1000.0 / o.fps;
    if (o.presentWidth > 0 && !o.benchmark) {
        error = "--present-to goes with --benchmark";
        return false;
    }
    if (!o.videoPath.empty() && o.benchmark) {
        error = "--video and --benchmark do not go together";
        return false;
    }
    return true;
}
}  // namespace

bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options, std::string& error) {
    options = CaptureOptions{};
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") options.help = true;
        else if (name == "--no-sound") options.sound = false;
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
    if (options.benchmark && !options.toGiven) options.toMs = 200000.0;
    return options.help || checkConsistency(options, error);
}

double frameTimeMs(const CaptureOptions& options, long frame) {
    return static_cast<double>(frame) * 1000.0 / options.fps;
}

long frameAtTime(const CaptureOptions& options, double ms) {
    const double steps = ms * options.fps / 1000.0;
    const double nearest = std::round(steps);
    if (std::fabs(steps - nearest) > 1e-6) return -1;
    return static_cast<long>(nearest);
}

long framesToRender(const CaptureOptions& options) {
    // Frames 0 .. n-1 with frame n-1 the last one before toMs.
    return static_cast<long>(std::ceil(options.toMs * options.fps / 1000.0 - 1e-9));
}
