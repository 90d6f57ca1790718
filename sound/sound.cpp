// Sound start-up, play requests and release, in the order the demo's sound library expects them.
#include "sound/sound.h"

#include "services/settings.h"

SoundSample musicSample;
SoundSample effectSample1;
SoundSample puffSample;
SoundSample rockSample;
int lastChannel = 0;

namespace {
constexpr const char* musicFile = "data/sound/ikarie.mp3";
constexpr int mixRate = 44100;        // Hz
constexpr int channelCount = 32;
constexpr int musicVolume = 180;      // of 255
constexpr int effectMasterVolume = 200;

void playAtVolume(SoundSample sample, int volume) {
    if (!soundEnabled) return;
    lastChannel = playSoundSample(sample);
    setChannelVolume(lastChannel, volume);
}
}  // namespace

void initSound() {
    if (!soundEnabled) return;
    setMinimumHardwareChannels(4);
    if (!initSoundLayer(mixRate, channelCount)) {
        closeSoundLayer();
        return;
    }
    musicSample = loadSoundSample(musicFile);
    effectSample1 = loadSoundSample("data/sound/1.wav");
    puffSample = loadSoundSample("data/sound/puff.wav");
    rockSample = loadSoundSample("data/sound/rock.wav");
    setSoundReverb(mountainsReverb);
    setSoundRolloffFactor(0.5f);
    setSoundDopplerFactor(1.0f);
    setEffectMasterVolume(effectMasterVolume);
    // The music plays once, from here to the end of the run; the demo clock starts right after.
    playAtVolume(musicSample, musicVolume);
}

void playEffect1Sound() { playAtVolume(effectSample1, 180); }
void playPuffSound() { playAtVolume(puffSample, 100); }
void playRockSound() { playAtVolume(rockSample, 150); }

void releaseSound() {
    if (!soundEnabled) return;
    freeSoundSample(musicSample);
    freeSoundSample(effectSample1);
    freeSoundSample(puffSample);
    freeSoundSample(rockSample);
    closeSoundLayer();
    musicSample = effectSample1 = puffSample = rockSample = SoundSample{};
}
