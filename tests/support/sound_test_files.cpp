// Test sound files: libsndfile writes them (floats for MP3, whose 16-bit encoding is broken here).
#include "support/sound_test_files.h"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {
bool writeFile(const std::string& path, const std::vector<float>& samples, int channels, int sampleRate, int format) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / static_cast<size_t>(channels));
    const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
    sf_close(file);
    return ok;
}
}  // namespace

bool writeWavFile(const std::string& path, const std::vector<float>& samples, int channels, int sampleRate) {
    return writeFile(path, samples, channels, sampleRate, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

bool writeMp3File(const std::string& path, const std::vector<float>& samples, int channels, int sampleRate) {
    return writeFile(path, samples, channels, sampleRate, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
}

std::vector<float> stereoTone(int frames, int sampleRate, float amplitude) {
    std::vector<float> s(static_cast<size_t>(frames) * 2);
    const double twoPi = 6.283185307179586;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        s[2 * static_cast<size_t>(i)] = static_cast<float>(amplitude * std::sin(twoPi * 440.0 * t));
        s[2 * static_cast<size_t>(i) + 1] = static_cast<float>(amplitude * std::sin(twoPi * 660.0 * t + 1.0));
    }
    return s;
}

std::vector<int16_t> readAllShorts(const std::string& path, int& channels) {
    SF_INFO info{};
    std::vector<int16_t> all;
    channels = 0;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return all;
    channels = info.channels;
    std::vector<int16_t> chunk(4096 * static_cast<size_t>(info.channels));
    sf_count_t got;
    while ((got = sf_readf_short(file, chunk.data(), 4096)) > 0)
        all.insert(all.end(), chunk.begin(), chunk.begin() + got * info.channels);
    sf_close(file);
    return all;
}

TemporarySoundFolder::TemporarySoundFolder() {
    char pattern[] = "/tmp/halvex-sound-XXXXXX";
    if (!mkdtemp(pattern)) return;
    root = pattern;
    previous = std::filesystem::current_path().string();
    std::error_code error;
    std::filesystem::create_directories(root + "/data/sound", error);
    entered = !error && chdir(root.c_str()) == 0;
}

TemporarySoundFolder::~TemporarySoundFolder() {
    if (entered && chdir(previous.c_str()) != 0) std::perror("chdir back");
    std::error_code error;
    if (!root.empty()) std::filesystem::remove_all(root, error);
}
