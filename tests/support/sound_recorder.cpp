// The recording backend behind recordSoundCalls().
#include "support/sound_recorder.h"

#include <cstdio>

#include "sound/sound_backend.h"

namespace {
std::vector<std::string> calls;
bool initResult = true;
int loads = 0, plays = 0;

void record(const char* format, double a, double b = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b);
    calls.push_back(text);
}

const SoundBackend recorder = {
    [](int count) { record("minHardwareChannels %g", count); },
    [](int rate, int channels) {
        record("init %g %g", rate, channels);
        return initResult;
    },
    [](const char* path) {
        calls.push_back(std::string("load ") + (path ? path : "(null)") + " -> " + std::to_string(++loads));
        return SoundSample{loads};
    },
    [](const ReverbProperties& r) { record("reverb %g", r.environment); },
    [](float factor) { record("rolloff %g", factor); },
    [](float factor) { record("doppler %g", factor); },
    [](int volume) { record("master %g", volume); },
    [](SoundSample s) {
        const int channel = s.empty() ? noChannel : plays++;
        record("play %g -> %g", s.id, channel);
        return channel;
    },
    [](int channel, int volume) { record("volume %g %g", channel, volume); },
    [](SoundSample s) { record("free %g", s.id); },
    [] { calls.push_back("close"); },
};
}  // namespace

void recordSoundCalls(bool initSucceeds) {
    calls.clear();
    initResult = initSucceeds;
    loads = plays = 0;
    useSoundBackend(&recorder);
}
void restoreSoundBackend() { useSoundBackend(nullptr); }
const std::vector<std::string>& recordedSoundCalls() { return calls; }
