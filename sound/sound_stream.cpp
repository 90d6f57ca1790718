// Chunked decoding through libsndfile: like the whole-file decoder, it reads until libsndfile returns
// 0 frames and trusts the header's frame count for nothing but a hint.
#include "sound/sound_stream.h"

#include <sndfile.h>

#include <utility>

namespace {
constexpr int maxSampleRate = 768000;   // Hz, as the whole-file decoder accepts
}

SoundStream::~SoundStream() { close(); }

SoundStream::SoundStream(SoundStream&& other) noexcept { *this = std::move(other); }

SoundStream& SoundStream::operator=(SoundStream&& other) noexcept {
    if (this == &other) return *this;
    close();
    file = std::exchange(other.file, nullptr);
    rate = other.rate;
    channelCount = other.channelCount;
    announced = other.announced;
    atEnd = other.atEnd;
    return *this;
}

bool SoundStream::open(const char* path) {
    close();
    if (!path) return false;
    SF_INFO info{};
    file = sf_open(path, SFM_READ, &info);
    if (!file) return false;
    if (info.channels < 1 || info.channels > 2 || info.samplerate <= 0 || info.samplerate > maxSampleRate) {
        close();
        return false;
    }
    // Decoders that produce floats outside -1..1 must clip, not wrap around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    rate = info.samplerate;
    channelCount = info.channels;
    announced = info.frames > 0 ? info.frames : 0;
    atEnd = false;
    return true;
}

void SoundStream::close() {
    if (file) sf_close(file);
    file = nullptr;
    rate = channelCount = 0;
    announced = 0;
    atEnd = true;
}

size_t SoundStream::readChunk(std::vector<int16_t>& out, size_t maxFrames) {
    out.clear();
    if (!file || atEnd || maxFrames == 0) return 0;
    out.resize(maxFrames * static_cast<size_t>(channelCount));
    const sf_count_t got = sf_readf_short(file, out.data(), static_cast<sf_count_t>(maxFrames));
    const size_t frames = got > 0 ? static_cast<size_t>(got) : 0;
    out.resize(frames * static_cast<size_t>(channelCount));
    if (frames == 0) atEnd = true;
    return frames;
}

bool SoundStream::rewind() {
    if (!file) return false;
    atEnd = sf_seek(file, 0, SEEK_SET) != 0;
    return !atEnd;
}
