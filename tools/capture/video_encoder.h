// The video file, encoded by ffmpeg while the run goes on: frames go down one pipe as raw RGB, the sound
// down another as raw 16-bit stereo, and ffmpeg muxes both into one file. ffmpeg runs in a process
// group of its own, so a Ctrl+C reaches only halvex-capture, which then closes the pipes and lets
// ffmpeg finish the file.
#pragma once
#include <sys/types.h>

#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "capture_options.h"
#include "image/png_file.h"

bool ffmpegAvailable();

// ffmpeg's arguments for a preset (the program name first); sampleRate 0 for a silent video.
std::vector<std::string> ffmpegArguments(VideoPreset preset, const std::string& path, int width, int height,
                                         const FrameRate& fps, int sampleRate);

// Frames of a group of pictures in the web preset: half the frame rate, rounded.
int webGopFrames(const FrameRate& fps);

struct VideoEncoder {
    pid_t pid = -1;
    int videoFd = -1, soundFd = -1;
    bool ok = true;
    // The sound is written by a thread of its own, so a frame never waits for ffmpeg to want sound.
    std::thread soundWriter;
    std::mutex soundMutex;
    std::condition_variable soundReady;
    std::deque<std::vector<int16_t>> soundChunks;
    bool soundClosing = false;
};

// Starts ffmpeg; false with a message when it cannot be started.
bool startVideoEncoder(VideoEncoder& video, const CaptureOptions& options, const std::string& path, bool withSound);
// Called from one thread at a time, in frame order.
bool writeVideoFrame(VideoEncoder& video, const RgbPicture& frame);
void writeVideoSound(VideoEncoder& video, const int16_t* interleaved, int frames);
// Closes both pipes and waits for ffmpeg to finish the file; false when anything failed.
bool finishVideoEncoder(VideoEncoder& video);

// The running encoder's process, for a second Ctrl+C that stops everything at once; -1 when none.
extern volatile std::sig_atomic_t videoEncoderPid;
