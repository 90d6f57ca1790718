// The handlers only set a flag or, the second time, end the process and the encoder with it; the loop
// looks at the flag once a frame.
#include "run_control.h"

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "video_encoder.h"

namespace {
volatile std::sig_atomic_t stopSignals = 0;

void onStopSignal(int) {
    if (stopSignals > 0) {
        const pid_t encoder = static_cast<pid_t>(videoEncoderPid);
        if (encoder > 0) kill(encoder, SIGKILL);
        _exit(130);
    }
    stopSignals = stopSignals + 1;
}

constexpr double terminalInterval = 0.5;   // seconds between updates of the line in place
constexpr double logInterval = 5.0;        // seconds between plain lines
}  // namespace

void installStopHandlers() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool stopRequested() { return stopSignals > 0; }

Progress startProgress(int64_t totalFrames) {
    Progress progress;
    progress.total = totalFrames;
    progress.terminal = isatty(STDERR_FILENO) == 1;
    progress.start = progress.last = std::chrono::steady_clock::now();
    return progress;
}

void showProgress(Progress& progress, int64_t framesDone, double demoMs, bool last) {
    const auto now = std::chrono::steady_clock::now();
    const double sinceLast = std::chrono::duration<double>(now - progress.last).count();
    if (!last && sinceLast < (progress.terminal ? terminalInterval : logInterval)) return;
    progress.last = now;
    const double seconds = std::chrono::duration<double>(now - progress.start).count();
    const double rate = seconds > 0 ? static_cast<double>(framesDone) / seconds : 0.0;
    const double left = rate > 0 ? static_cast<double>(progress.total - framesDone) / rate : 0.0;
    std::fprintf(stderr, "%sframe %lld/%lld  demo time %.3f s  %.2f fps  %.0f s left%s", progress.terminal ? "\r" : "",
                 static_cast<long long>(framesDone), static_cast<long long>(progress.total), demoMs / 1000.0, rate,
                 left, progress.terminal && !last ? "   " : "\n");
}

double peakResidentMegabytes() {
    rusage usage{};
    return getrusage(RUSAGE_SELF, &usage) == 0 ? static_cast<double>(usage.ru_maxrss) / 1024.0 : 0.0;
}
