// The command line of halvex-capture: what to render, at which rate and size, and where to write it.
#pragma once
#include <string>
#include <vector>

#include "frame_steps.h"

enum class VideoPreset { web, master };

struct CaptureOptions {
    std::string outDir;               // PNG frames, empty for none
    double fromMs = 0.0;              // first demo time written (inclusive)
    double toMs = 0.0;                // end of the run (exclusive); without --to, the end of the demo
    bool toGiven = false;
    FrameRate fps;                    // frames per second of demo time, a ratio of whole numbers
    int width = 1024, height = 768;   // pixels of the frames written
    int supersample = 1;              // rendered at this many times the size, each block averaged
    int sampleRate = 44100;           // Hz of the sound written
    std::vector<double> atMs;         // --at: only these demo times are written
    std::string sheetPath;            // contact sheet PNG, empty for none
    double everyMs = 5000.0;          // contact sheet spacing
    std::string audioPath;            // WAV of the mixed sound, empty for none
    std::string videoPath;            // video encoded by ffmpeg, empty for none
    VideoPreset preset = VideoPreset::web;
    bool presetGiven = false;
    unsigned seed = 1;                // the C library generator's seed (particles)
    int bits = 32;                    // pixel format: 16 or 32
    bool sound = true;
    bool originalAspect = false;      // the 3D picture stretched by the integer width / height
    bool benchmark = false;
    int presentWidth = 0, presentHeight = 0;   // --present-to: a stand-in display the frames are scaled to
    bool help = false;
    std::string dataRoot;             // folder holding data/, empty: the programs' data search
};

// The largest picture written, and the largest the renderer is asked for (size x supersample).
constexpr int maxCaptureWidth = 7680, maxCaptureHeight = 4320;
constexpr int maxRenderSide = 16384;

// Parses argv; on an error returns false with a message that names the problem.
bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options, std::string& error);

// The demo time of frame k at the options' rate.
double frameTimeMs(const CaptureOptions& options, long frame);

// The frame whose demo time is ms, or -1 when ms is not a whole number of frame steps.
long frameAtTime(const CaptureOptions& options, double ms);

// How many frames the run renders: every frame from demo time 0 up to the last one before toMs.
long framesToRender(const CaptureOptions& options);

// Sets toMs when no --to (or --at) was given; endMs is the end of the demo at the options' rate.
void settleRunEnd(CaptureOptions& options, double endMs);

extern const char* const captureUsage;
