// The demo's sound: the four samples, the start-up that begins the music, the scenes' play requests and
// the release at shutdown. Every function here does nothing at all while soundEnabled is false, so no
// call reaches the sound layer when sound is switched off in the settings dialog.
//
// Order of use by the demo:
//   initSound()           the last loading step, immediately before startDemoClock(): loads the four
//                         samples (the music streamed: only its first buffers are decoded here), sets the
//                         reverb, 3D factors and effect volume, and starts the music, so demo time 0 is
//                         the start of the music;
//   playEffect1Sound(), playPuffSound(), playRockSound()   from scenes 1 and 2 at their moments (the
//                         scenes keep the once-flags);
//   releaseSound()        in the shutdown: frees the samples in load order and closes the layer.
#pragma once
#include "sound/sound_layer.h"

extern SoundSample musicSample;     // "data/sound/ikarie.mp3"
extern SoundSample effectSample1;   // "data/sound/1.wav"
extern SoundSample puffSample;      // "data/sound/puff.wav"
extern SoundSample rockSample;      // "data/sound/rock.wav"
extern int lastChannel;             // channel of the most recent play request, for its volume call

void initSound();

void playEffect1Sound();   // effectSample1 at volume 180
void playPuffSound();      // puffSample at volume 100
void playRockSound();      // rockSample at volume 150

void releaseSound();
