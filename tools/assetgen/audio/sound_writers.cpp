// Interleaves the two channels in blocks and hands them to libsndfile; every failure is reported.
#include "audio/sound_writers.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include <sndfile.h>

namespace {
constexpr size_t kBlockFrames = 16384;

bool makeFolderFor(const std::string& path) {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    if (error) std::fprintf(stderr, "assetgen: cannot create the folder of %s: %s\n", path.c_str(), error.message().c_str());
    return !error;
}

// Closes the file on every path out.
struct SoundFile {
    SNDFILE* handle = nullptr;
    ~SoundFile() {
        if (handle) sf_close(handle);
    }
};

bool writeFrames(SNDFILE* file, const StereoBuffer& buffer, const std::string& path) {
    std::vector<float> block(kBlockFrames * 2);
    for (size_t start = 0; start < buffer.frames(); start += kBlockFrames) {
        const size_t count = std::min(kBlockFrames, buffer.frames() - start);
        for (size_t i = 0; i < count; ++i) {
            block[2 * i] = std::clamp(buffer.left[start + i], -1.0f, 1.0f);
            block[2 * i + 1] = std::clamp(buffer.right[start + i], -1.0f, 1.0f);
        }
        if (sf_writef_float(file, block.data(), static_cast<sf_count_t>(count)) != static_cast<sf_count_t>(count)) {
            std::fprintf(stderr, "assetgen: writing %s failed: %s\n", path.c_str(), sf_strerror(file));
            return false;
        }
    }
    return true;
}

bool writeSound(const std::string& path, const StereoBuffer& buffer, int format, int kilobitsPerSecond) {
    if (!makeFolderFor(path)) return false;
    SF_INFO info{};
    info.samplerate = kSampleRate;
    info.channels = 2;
    info.format = format;
    SoundFile file;
    file.handle = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file.handle) {
        std::fprintf(stderr, "assetgen: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    if (kilobitsPerSecond > 0) {
        // libsndfile maps a compression level of 0..1 onto 320..32 kbit/s for a constant bitrate.
        int mode = SF_BITRATE_MODE_CONSTANT;
        sf_command(file.handle, SFC_SET_BITRATE_MODE, &mode, sizeof(mode));
        double level = (320.0 - std::clamp(kilobitsPerSecond, 32, 320)) / (320.0 - 32.0);
        if (!sf_command(file.handle, SFC_SET_COMPRESSION_LEVEL, &level, sizeof(level))) {
            std::fprintf(stderr, "assetgen: %s: the encoder refused bitrate %d kbit/s\n", path.c_str(), kilobitsPerSecond);
            return false;
        }
    } else {
        // Floats in [-1, 1] become full-scale 16-bit values.
        sf_command(file.handle, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    }
    if (!writeFrames(file.handle, buffer, path)) return false;
    const int closed = sf_close(file.handle);
    file.handle = nullptr;
    if (closed != 0) {
        std::fprintf(stderr, "assetgen: closing %s failed\n", path.c_str());
        return false;
    }
    return true;
}
}  // namespace

bool writeWav16(const std::string& path, const StereoBuffer& buffer) {
    return writeSound(path, buffer, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0);
}

bool writeMp3(const std::string& path, const StereoBuffer& buffer, int kilobitsPerSecond) {
    return writeSound(path, buffer, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, std::max(32, kilobitsPerSecond));
}
