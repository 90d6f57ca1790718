// The layer's calls, each handed to the backend in use (OpenAL Soft unless a test installed another).
#include "sound/sound_layer.h"

#include "sound/sound_backend.h"

namespace {
const SoundBackend* installed = nullptr;
const SoundBackend& backend() { return installed ? *installed : openAlSoundBackend(); }
}  // namespace

void useSoundBackend(const SoundBackend* b) { installed = b; }

void setMinimumHardwareChannels(int count) { backend().setMinimumHardwareChannels(count); }
bool initSoundLayer(int mixRate, int channelCount) { return backend().init(mixRate, channelCount); }
SoundSample loadSoundSample(const char* path) { return backend().loadSample(path); }
void setSoundReverb(const ReverbProperties& reverb) { backend().setReverb(reverb); }
void setSoundRolloffFactor(float factor) { backend().setRolloffFactor(factor); }
void setSoundDopplerFactor(float factor) { backend().setDopplerFactor(factor); }
void setEffectMasterVolume(int volume) { backend().setEffectMasterVolume(volume); }
int playSoundSample(SoundSample sample) { return backend().playSample(sample); }
void setChannelVolume(int channel, int volume) { backend().setChannelVolume(channel, volume); }
void freeSoundSample(SoundSample sample) { backend().freeSample(sample); }
void closeSoundLayer() { backend().close(); }

float volumeToGain(int volume) {
    if (volume < 0) volume = 0;
    if (volume > 255) volume = 255;
    return static_cast<float>(volume) / 255.0f;
}
