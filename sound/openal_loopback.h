// The loopback device shared by loopback_sound.cpp (which opens and renders it) and the OpenAL backend.
#pragma once
#include <AL/alc.h>

struct LoopbackDevice {
    ALCdevice* device = nullptr;   // open loopback device, or nullptr
    int sampleRate = 0;            // Hz
    bool mixing = false;           // the layer has a context on it
};

LoopbackDevice& loopbackDevice();

// Feeds every streamed sample that is playing; the loopback renderer calls it before each mix.
void feedOpenAlStreams();
