// halvex-capture: the demo rendered offscreen to frames, a contact sheet, sound and video, or timed.
#include <cstdio>
#include <string>

#include "capture_options.h"
#include "capture_run.h"

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!parseCaptureOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "halvex-capture: %s\n\n%s", error.c_str(), captureUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(captureUsage, stdout);
        std::fflush(stdout);
        // Where the demo ends depends on the data, so it is found, not printed from memory.
        options.toGiven = false;
        if (enterDataRoot(options)) settleCaptureEnd(options, stdout);
        return 0;
    }
    return options.benchmark ? runBenchmark(options) : runCapture(options);
}
