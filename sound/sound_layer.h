// The sound layer: the operations the demo makes on its sound library, mixed by OpenAL Soft.
//
// Every call is accepted in every state: before initialisation, after a failed one, after closing,
// with an empty sample handle or a channel of -1. Such calls do nothing and play requests return -1.
#pragma once
#include "sound/reverb.h"

// A loaded sample: id 0 is the empty handle (never loaded, or the file could not be decoded).
struct SoundSample {
    int id = 0;
    bool empty() const { return id == 0; }
};

constexpr int noChannel = -1;   // what a play request returns when nothing was played

// Asks for channels mixed by hardware. OpenAL Soft mixes everything in software, so this only keeps
// the library's call order; it has no effect.
void setMinimumHardwareChannels(int count);

// Opens the sound device (or the loopback device, see loopback_sound.h) and makes channelCount
// channels. False when there is no device; the caller then closes the layer.
bool initSoundLayer(int mixRate, int channelCount);

// Decodes the whole file (MP3 or WAV) into a sample; the empty handle when it cannot.
SoundSample loadSoundSample(const char* path);

// The reverb environment every channel sends to. Skipped when the device has no EFX.
void setSoundReverb(const ReverbProperties& reverb);

void setSoundRolloffFactor(float factor);   // distance attenuation scale of 3D sounds
void setSoundDopplerFactor(float factor);   // Doppler shift scale

// Overall level of every channel, 0 (silent) to 255 (full); out-of-range values are clamped.
void setEffectMasterVolume(int volume);

// Plays the sample once on a free channel and returns that channel at once; it plays on in the
// background. A never-used channel is free first, then the finished channel that was started longest
// ago; when every channel is still playing, the one started longest ago is cut off and reused.
int playSoundSample(SoundSample sample);

// The level of one channel, 0 to 255 (clamped); ignored for noChannel or a channel that does not exist.
void setChannelVolume(int channel, int volume);

// Stops the channels playing the sample and frees it; the handle is empty afterwards for every call.
void freeSoundSample(SoundSample sample);

// Stops all sound, frees every sample and closes the device.
void closeSoundLayer();

float volumeToGain(int volume);   // 0..255 -> 0..1, clamped
