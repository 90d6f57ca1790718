// 16-bit stereo WAV output of the mixed sound, written as the run goes: the file is whole after every
// closeStereoWav, however early the run stopped.
#pragma once
#include <cstdint>
#include <string>

struct WavWriter {
    void* file = nullptr;    // SNDFILE*
    int64_t frames = 0;      // stereo sample frames written
    bool ok = true;
};

bool openStereoWav(WavWriter& wav, const std::string& path, int sampleRate);
void appendStereoWav(WavWriter& wav, const int16_t* interleaved, int frames);
// Closes the file; false when any write or the close failed.
bool closeStereoWav(WavWriter& wav);
