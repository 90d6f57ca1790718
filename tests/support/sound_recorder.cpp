// The recording backend behind recordSoundCalls().
#include "support/sound_recorder.h"

#include <cstdio>

#include "sound/sound_backend.h"

namespace {
std::vector<std::string> calls;
std::vector<std::string> failing;
bool initResult = true;
int loads = 0;
int plays = 0;
ReverbProperties reverb{};

std::string format(const char* fmt, double a, double b = 0) {
    char text[128];
    std::snprintf(text, sizeof text, fmt, a, b);
    return text;
}

void minHardware(int count) { calls.push_back(format("minHardwareChannels %g", count)); }
bool init(int rate, int channels) {
    calls.push_back(format("init %g %g", rate, channels));
    return initResult;
}
SoundSample load(const char* path) {
    std::string file = path ? path : "(null)";
    int id = 0;
    for (const std::string& f : failing)
        if (f == file) id = -1;
    id = id < 0 ? 0 : ++loads;
    calls.push_back("load " + file + " -> " + std::to_string(id));
    return {id};
}
void setReverb(const ReverbProperties& r) {
    reverb = r;
    calls.push_back(format("reverb %g", r.environment));
}
void rolloff(float f) { calls.push_back(format("rolloff %g", f)); }
void doppler(float f) { calls.push_back(format("doppler %g", f)); }
void master(int v) { calls.push_back(format("master %g", v)); }
int play(SoundSample s) {
    const int channel = s.empty() ? noChannel : plays++;
    calls.push_back(format("play %g -> %g", s.id, channel));
    return channel;
}
void volume(int channel, int v) { calls.push_back(format("volume %g %g", channel, v)); }
void freeSample(SoundSample s) { calls.push_back(format("free %g", s.id)); }
void closeLayer() { calls.push_back("close"); }

const SoundBackend recorder = {minHardware, init, load,   setReverb,  rolloff,   doppler,
                               master,      play, volume, freeSample, closeLayer};
}  // namespace

void recordSoundCalls(bool initSucceeds, std::vector<std::string> failingLoads) {
    calls.clear();
    failing = std::move(failingLoads);
    initResult = initSucceeds;
    loads = 0;
    plays = 0;
    reverb = ReverbProperties{};
    useSoundBackend(&recorder);
}
void restoreSoundBackend() { useSoundBackend(nullptr); }
const std::vector<std::string>& recordedSoundCalls() { return calls; }
const ReverbProperties& lastRecordedReverb() { return reverb; }
