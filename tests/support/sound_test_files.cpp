// Test sound files: libsndfile writes them (floats for MP3, whose 16-bit encoding is broken here).
#include "support/sound_test_files.h"

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

bool writeSoundFile(const std::string& path, const std::vector<float>& samples, int channels, int sampleRate) {
    const bool mp3 = path.size() > 4 && path.compare(path.size() - 4, 4, ".mp3") == 0;
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = mp3 ? SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III : SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / static_cast<size_t>(channels));
    const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
    sf_close(file);
    return ok;
}

std::vector<float> stereoTone(int frames, int sampleRate, float amplitude) {
    std::vector<float> s(static_cast<size_t>(frames) * 2);
    for (size_t i = 0; i < s.size(); i += 2) {
        const double t = static_cast<double>(i / 2) / sampleRate;
        s[i] = static_cast<float>(amplitude * std::sin(2 * M_PI * 440.0 * t));
        s[i + 1] = static_cast<float>(amplitude * std::sin(2 * M_PI * 660.0 * t + 1.0));
    }
    return s;
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
