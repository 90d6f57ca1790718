// Writers of the sound files through libsndfile: 16-bit PCM WAV for the effects, MP3 for the music.
#pragma once
#include <string>

#include "audio/dsp.h"

// 44.1 kHz stereo WAV, 16-bit PCM. False, with a message on standard error, when it cannot be written.
bool writeWav16(const std::string& path, const StereoBuffer& buffer);

// 44.1 kHz stereo MPEG layer III at a constant bitrate (kbit/s, 32 to 320). The samples go in as floats:
// this libsndfile encodes 16-bit input to noise.
bool writeMp3(const std::string& path, const StereoBuffer& buffer, int kilobitsPerSecond);
