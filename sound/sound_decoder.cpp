// Decoding through libsndfile: the frame count is only a hint, reading goes on until it returns 0 frames.
#include "sound/sound_decoder.h"

#include <sndfile.h>

namespace {
constexpr sf_count_t chunkFrames = 16384;
constexpr int maxSampleRate = 768000;  // Hz
// A header's frame count is trusted for reserving only up to this many bytes; beyond it the samples
// grow as they are really decoded, so a lying header cannot make a huge allocation by itself.
constexpr size_t maxTrustedReserveBytes = size_t{128} << 20;

struct SoundFileCloser {
    SNDFILE* file;
    ~SoundFileCloser() {
        if (file) sf_close(file);
    }
};

bool formatAccepted(const SF_INFO& info) {
    return (info.channels == 1 || info.channels == 2) && info.samplerate > 0 && info.samplerate <= maxSampleRate;
}

// Reserving the announced length plus one chunk lets the final, empty read happen without moving the data.
void reserveAnnounced(const SF_INFO& info, std::vector<int16_t>& samples) {
    const size_t maxSamples = maxTrustedReserveBytes / sizeof(int16_t);
    const size_t perChunk = static_cast<size_t>(chunkFrames) * static_cast<size_t>(info.channels);
    if (info.frames <= 0 || static_cast<size_t>(info.frames) > maxSamples / static_cast<size_t>(info.channels))
        return;
    const size_t announced = static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels);
    if (announced <= maxSamples - perChunk) samples.reserve(announced + perChunk);
}

bool readAllFrames(SNDFILE* file, int channels, size_t maxBytes, std::vector<int16_t>& samples) {
    const size_t maxSamples = maxBytes / sizeof(int16_t);
    const size_t perChunk = static_cast<size_t>(chunkFrames) * static_cast<size_t>(channels);
    for (;;) {
        const size_t used = samples.size();
        if (used > maxSamples) return false;
        samples.resize(used + perChunk);
        const sf_count_t got = sf_readf_short(file, samples.data() + used, chunkFrames);
        const size_t gotSamples = got > 0 ? static_cast<size_t>(got) * static_cast<size_t>(channels) : 0;
        samples.resize(used + gotSamples);
        if (got <= 0) return true;
    }
}
}  // namespace

bool decodeSoundFile(const char* path, DecodedSound& out, size_t maxBytes) {
    out = DecodedSound{};
    if (!path) return false;
    SF_INFO info{};
    SoundFileCloser file{sf_open(path, SFM_READ, &info)};
    if (!file.file || !formatAccepted(info)) return false;
    // Decoders that produce floats outside -1..1 must clip, not wrap around.
    sf_command(file.file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    reserveAnnounced(info, out.samples);
    if (maxBytes > maxDecodedSoundBytes) maxBytes = maxDecodedSoundBytes;
    if (!readAllFrames(file.file, info.channels, maxBytes, out.samples) || out.samples.empty() ||
        out.bytes() > maxBytes) {
        out = DecodedSound{};
        return false;
    }
    out.sampleRate = info.samplerate;
    out.channels = info.channels;
    return true;
}
