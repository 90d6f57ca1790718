// Offline rendering of the demo's sound through OpenAL Soft's loopback device (ALC_SOFT_loopback).
//
// The capture tool and the tests use it instead of a sound card:
//   openLoopbackSound(44100);          // before initSound: the layer will mix into the loopback device
//   initSound();                       // as the demo does; the music is queued at clock 0
//   each frame step: render the frame (scenes make their play requests), then
//   renderLoopbackSamples(buffer, n);  // exactly the n stereo frames that step lasts
//   releaseSound();                    // the demo's shutdown
//   closeLoopbackSound();
// Nothing is mixed between two renderLoopbackSamples calls, so a sound played during a frame starts at
// the first sample of the next render, and two runs with the same requests give the same samples.
#pragma once
#include <cstdint>

// Opens the loopback device for 16-bit stereo at sampleRate (Hz). False, with a message on standard
// error, when OpenAL Soft lacks the loopback extension or that format.
bool openLoopbackSound(int sampleRate);

// Mixes the next frames stereo frames into out: 2 x frames interleaved values, left first. Writes
// silence while the layer has no context on the loopback device (sound off, failed or closed).
void renderLoopbackSamples(int16_t* out, int frames);

// Closes the loopback device; the layer goes back to the default device. Close the layer first.
void closeLoopbackSound();

bool loopbackSoundOpen();
int loopbackSampleRate();   // Hz, 0 when closed
