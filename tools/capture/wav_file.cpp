// WAV through libsndfile.
#include "wav_file.h"

#include <sndfile.h>

#include <cstdio>

bool writeStereoWav(const std::string& path, const std::vector<int16_t>& interleaved, int sampleRate) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "halvex-capture: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size() / 2);
    const bool ok = sf_writef_short(file, interleaved.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}
