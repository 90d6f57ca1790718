// WAV through libsndfile.
#include "wav_file.h"

#include <sndfile.h>

#include <cstdio>

bool openStereoWav(WavWriter& wav, const std::string& path, int sampleRate) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    wav = WavWriter{};
    wav.file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!wav.file) {
        std::fprintf(stderr, "halvex-capture: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        wav.ok = false;
        return false;
    }
    return true;
}

void appendStereoWav(WavWriter& wav, const int16_t* interleaved, int frames) {
    if (!wav.file || frames <= 0) return;
    const sf_count_t written = sf_writef_short(static_cast<SNDFILE*>(wav.file), interleaved, frames);
    wav.frames += written;
    if (written != frames) wav.ok = false;
}

bool closeStereoWav(WavWriter& wav) {
    if (!wav.file) return wav.ok;
    const bool closed = sf_close(static_cast<SNDFILE*>(wav.file)) == 0;
    wav.file = nullptr;
    return wav.ok && closed;
}
