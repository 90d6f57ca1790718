// Exact frame and sample arithmetic of a capture: a frame rate is a ratio of whole numbers (60000/1001),
// frame k lies at k x 1000 x den / num ms, and the sound before frame k is that time in samples, rounded
// once. Everything is computed from k in integers, so nothing drifts however long the run.
#pragma once
#include <cstdint>
#include <string>

struct FrameRate {
    int64_t num = 30;   // frames ...
    int64_t den = 1;    // ... per this many seconds
};

// "50", "60000/1001": whole numbers, a rate from 1 to 1000 frames per second. False for anything else.
bool parseFrameRate(const char* text, FrameRate& rate);
std::string frameRateText(const FrameRate& rate);   // "30", "60000/1001"
double framesPerSecond(const FrameRate& rate);

// Demo time of frame k in ms: the double nearest to k x 1000 x den / num.
double frameTimeMs(const FrameRate& rate, int64_t frame);

// The first frame whose time is at or after ms (ms of 0 or more).
int64_t firstFrameAtOrAfter(const FrameRate& rate, double ms);

// The frame lying exactly at ms, or -1 when ms falls between two frames.
int64_t frameAtExactTime(const FrameRate& rate, double ms);

// Stereo sample frames before frame k at sampleRate: round(k x sampleRate x den / num), halves up.
int64_t samplesBeforeFrame(const FrameRate& rate, int sampleRate, int64_t frame);

// The virtual counter runs at num x countsPerRateUnit counts a second and steps den x countsPerRateUnit a
// frame, so every step is a whole number of counts and a Timer reads exact times.
constexpr int64_t countsPerRateUnit = 100000;
inline int64_t counterFrequency(const FrameRate& rate) { return rate.num * countsPerRateUnit; }
inline int64_t countsPerFrame(const FrameRate& rate) { return rate.den * countsPerRateUnit; }
