// Frames leave the render loop through a short queue: a thread of their own averages, flips and writes
// them (PNG, contact sheet, video) while the next frame renders, with up to two PNG files compressed at
// once. At most framesInFlight frames wait and pngEncodersAtOnce are compressed, so a slow disk or
// encoder holds the renderer back instead of filling memory.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "contact_sheet.h"
#include "video_encoder.h"

constexpr size_t framesInFlight = 3;
constexpr size_t pngEncodersAtOnce = 2;   // PNG compression is the slowest step: two frames at a time

struct FrameJob {
    double ms = 0.0;                   // demo time of the frame
    bool png = false, sheet = false, video = false;
    std::vector<uint8_t> bottomFirst;  // the rendered pixels, supersampled, rows bottom first
};

struct FrameWriter {
    std::string outDir;           // PNG frames, empty for none
    int width = 0, height = 0;    // pixels written
    int supersample = 1;
    ContactSheet* sheet = nullptr;
    VideoEncoder* video = nullptr;
    bool ok = true;               // false after any failed write

    std::thread thread;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<FrameJob> jobs;
    bool closing = false;
    std::deque<std::future<bool>> pngWrites;   // oldest first; owned by the writer thread
};

void startFrameWriter(FrameWriter& writer);
// Blocks while framesInFlight frames are waiting.
void queueFrame(FrameWriter& writer, FrameJob job);
// Writes what is queued and stops the thread; false when any write failed.
bool finishFrameWriter(FrameWriter& writer);

std::string frameFileName(double ms);   // frame-NNNNNNN.png, the demo time in whole ms
