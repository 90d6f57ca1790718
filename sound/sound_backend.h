// What stands behind the sound layer: OpenAL Soft in the program, a recorder in tests.
#pragma once
#include "sound/sound_layer.h"

struct SoundBackend {
    void (*setMinimumHardwareChannels)(int count);
    bool (*init)(int mixRate, int channelCount);
    SoundSample (*loadSample)(const char* path);
    void (*setReverb)(const ReverbProperties& reverb);
    void (*setRolloffFactor)(float factor);
    void (*setDopplerFactor)(float factor);
    void (*setEffectMasterVolume)(int volume);
    int (*playSample)(SoundSample sample);
    void (*setChannelVolume)(int channel, int volume);
    void (*freeSample)(SoundSample sample);
    void (*close)();
};

// Routes every layer call to backend from now on; nullptr goes back to OpenAL Soft.
void useSoundBackend(const SoundBackend* backend);

const SoundBackend& openAlSoundBackend();
