// What a long capture needs around its loop: a stop request from Ctrl+C or SIGTERM (the first finishes
// the files, a second ends the process at once), a progress display, and the peak memory.
#pragma once
#include <chrono>
#include <cstdint>

// Installs the SIGINT and SIGTERM handlers, and ignores SIGPIPE so a dead ffmpeg is a failed write.
void installStopHandlers();
bool stopRequested();

// On a terminal one line updated in place; otherwise a plain line every few seconds, so a log stays
// readable.
struct Progress {
    int64_t total = 0;            // frames of the run
    bool terminal = false;
    std::chrono::steady_clock::time_point start, last;
};
Progress startProgress(int64_t totalFrames);
void showProgress(Progress& progress, int64_t framesDone, double demoMs, bool last = false);

double peakResidentMegabytes();
