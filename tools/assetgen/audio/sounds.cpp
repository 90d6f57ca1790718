// The sounds of the data set: the music and the three effects, written under data/sound/.
#include <chrono>
#include <cstdio>

#include "assetgen.h"
#include "audio/music.h"
#include "audio/sound_effects.h"
#include "audio/sound_writers.h"

bool writeSounds(const std::string& dataDir) {
    const std::string folder = dataDir + "/sound/";
    const auto start = std::chrono::steady_clock::now();
    const bool effects = writeWav16(folder + "1.wav", renderSpaceOpening()) && writeWav16(folder + "puff.wav", renderPuff()) &&
                         writeWav16(folder + "rock.wav", renderRock());
    if (!effects) return false;
    const StereoBuffer music = renderMusic(0.0, musicLength());
    const auto rendered = std::chrono::steady_clock::now();
    if (!writeMp3(folder + "ikarie.mp3", music, 192)) return false;
    const auto encoded = std::chrono::steady_clock::now();
    std::printf("assetgen: sound rendered in %.1f s, encoded in %.1f s\n",
                std::chrono::duration<double>(rendered - start).count(),
                std::chrono::duration<double>(encoded - rendered).count());
    return true;
}
