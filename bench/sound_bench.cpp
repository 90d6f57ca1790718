// Start-up cost of the music: decoding five minutes of 44.1 kHz stereo MP3 whole, its memory, against
// loading it through the layer, which streams it (only its first buffers decoded at the load).
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sound/loopback_sound.h"
#include "sound/sound_decoder.h"
#include "sound/sound_layer.h"

namespace {
constexpr int rate = 44100;
constexpr int seconds = 300;

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

long residentKiB() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Something with the spectrum of music, so the encoder and decoder work as hard as on a real track:
// a chord that changes every two seconds, a pulse, a little noise. Written as floats (16-bit MP3
// encoding is broken in this libsndfile).
bool writeMusic(const std::string& path) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    std::vector<float> block(static_cast<size_t>(rate) * 2);
    unsigned noise = 12345;
    const double roots[] = {110.0, 130.81, 98.0, 146.83};
    for (int s = 0; s < seconds; ++s) {
        const double root = roots[(s / 2) % 4];
        for (int i = 0; i < rate; ++i) {
            const double t = s + static_cast<double>(i) / rate;
            double v = 0.2 * std::sin(6.2832 * root * t) + 0.12 * std::sin(6.2832 * root * 1.5 * t) +
                       0.08 * std::sin(6.2832 * root * 2.52 * t);
            v += 0.25 * std::exp(-8.0 * std::fmod(t, 0.5)) * std::sin(6.2832 * 55.0 * t);
            noise = noise * 1664525u + 1013904223u;
            v += 0.02 * (static_cast<double>(noise >> 8) / 8388608.0 - 1.0);
            block[2 * static_cast<size_t>(i)] = static_cast<float>(v);
            block[2 * static_cast<size_t>(i) + 1] = static_cast<float>(0.9 * v + 0.05 * std::sin(6.2832 * 440.0 * t));
        }
        if (sf_writef_float(file, block.data(), rate) != rate) {
            sf_close(file);
            return false;
        }
    }
    sf_close(file);
    return true;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int main() {
    char folder[] = "/tmp/halvex-sound-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string path = std::string(folder) + "/music.mp3";
    double t0 = now();
    if (!writeMusic(path)) {
        std::fprintf(stderr, "sound_bench: could not write %s\n", path.c_str());
        return 1;
    }
    std::printf("encoded %d s of 44.1 kHz stereo MP3 in %.2f s\n", seconds, now() - t0);

    std::vector<double> decodeTimes;
    size_t bytes = 0, frames = 0;
    for (int run = 0; run < 3; ++run) {
        DecodedSound sound;
        t0 = now();
        if (!decodeSoundFile(path.c_str(), sound)) return 1;
        decodeTimes.push_back(now() - t0);
        bytes = sound.bytes();
        frames = sound.frames();
    }
    std::printf("decode (median of 3): %.3f s for %zu frames (%.1f s of music)\n", median(decodeTimes), frames,
                static_cast<double>(frames) / rate);
    std::printf("decoded music: %.1f MB (16-bit stereo PCM)\n", static_cast<double>(bytes) / 1e6);

    // The load through the layer streams it; playing it all through the loopback device refills its
    // queue a few hundred times.
    if (!openLoopbackSound(rate) || !initSoundLayer(rate, 32)) return 1;
    const long before = residentKiB();
    t0 = now();
    SoundSample music = loadSoundSample(path.c_str());
    const double loadTime = now() - t0;
    std::printf("load into the layer (streamed): %.4f s, resident memory +%.1f MB afterwards\n", loadTime,
                static_cast<double>(residentKiB() - before) / 1024.0);
    setChannelVolume(playSoundSample(music), 255);
    std::vector<int16_t> step(735 * 2);
    t0 = now();
    for (long done = 0; done < static_cast<long>(seconds) * rate; done += 735) renderLoopbackSamples(step.data(), 735);
    std::printf("played through in 60 Hz steps: %.2f s of mixing and decoding, resident memory +%.1f MB\n", now() - t0,
                static_cast<double>(residentKiB() - before) / 1024.0);
    freeSoundSample(music);
    closeSoundLayer();
    closeLoopbackSound();
    std::remove(path.c_str());
    rmdir(folder);
    return 0;
}
