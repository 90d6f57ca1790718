// Whole-file decoding of WAV and MP3 samples, damaged files, and the music decoded ahead on a worker.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "sound/sound_decoder.h"
#include "sound/sound_preload.h"
#include "support/sound_test_files.h"

TEST(SoundDecoder, WavAndMp3DecodeCompletely) {
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    std::vector<float> mono(1000);
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = static_cast<float>(i % 100) / 200.0f - 0.25f;
    ASSERT_TRUE(writeSoundFile("mono.wav", mono, 1, 22050));
    DecodedSound sound;
    ASSERT_TRUE(decodeSoundFile("mono.wav", sound));
    EXPECT_EQ(sound.channels, 1);
    EXPECT_EQ(sound.sampleRate, 22050);
    ASSERT_EQ(sound.samples.size(), mono.size());
    for (size_t i = 0; i < mono.size(); ++i) EXPECT_NEAR(sound.samples[i], mono[i] * 32768.0f, 1.0f) << i;

    // LAME's delay and padding are removed: exactly the frames written come back, and more than one read
    // chunk's worth of them.
    ASSERT_TRUE(writeSoundFile("tone.mp3", stereoTone(44100 * 2 + 123, 44100, 0.5f), 2, 44100));
    ASSERT_TRUE(decodeSoundFile("tone.mp3", sound));
    EXPECT_EQ(sound.channels, 2);
    EXPECT_EQ(sound.sampleRate, 44100);
    EXPECT_EQ(sound.frames(), 44100u * 2 + 123);
    // The tone's level survives: a sine of amplitude 0.5 has a mean magnitude of 0.5 x 2/pi.
    double sum = 0;
    for (int16_t v : sound.samples) sum += std::abs(static_cast<int>(v));
    EXPECT_NEAR(sum / static_cast<double>(sound.samples.size()), 32768 * 0.5 * 2 / 3.14159265, 500.0);
}

TEST(SoundDecoder, DamagedOrUnsuitableFilesGiveNoSample) {
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    std::ofstream("noise.wav") << std::string(5000, 'Z');
    std::ofstream("empty.mp3");
    ASSERT_TRUE(writeSoundFile("three.wav", std::vector<float>(300, 0.1f), 3, 44100));   // more than two channels
    ASSERT_TRUE(writeSoundFile("silent.wav", {}, 2, 44100));                             // no frames
    ASSERT_TRUE(writeSoundFile("whole.wav", std::vector<float>(8000, 0.25f), 2, 44100));
    std::filesystem::copy_file("whole.wav", "header.wav");
    std::filesystem::resize_file("header.wav", 30);   // cut inside the header
    DecodedSound sound;
    for (const char* name : {"missing.wav", "noise.wav", "empty.mp3", "three.wav", "silent.wav", "header.wav"}) {
        sound.channels = 7;
        EXPECT_FALSE(decodeSoundFile(name, sound)) << name;
        EXPECT_TRUE(sound.samples.empty() && sound.channels == 0 && sound.sampleRate == 0) << name;
    }
    EXPECT_FALSE(decodeSoundFile(nullptr, sound));

    // Over the size limit the sample is refused as a whole, at the limit it is kept.
    EXPECT_FALSE(decodeSoundFile("whole.wav", sound, 4000 * 4 - 2));
    EXPECT_TRUE(sound.samples.empty());
    EXPECT_TRUE(decodeSoundFile("whole.wav", sound, 4000 * 4));
    EXPECT_EQ(sound.frames(), 4000u);

    // A WAV cut short (its header promising more than is there) gives what is there, never more.
    std::filesystem::copy_file("whole.wav", "cut.wav");
    std::filesystem::resize_file("cut.wav", std::filesystem::file_size("whole.wav") - 8000);
    ASSERT_TRUE(decodeSoundFile("cut.wav", sound));
    EXPECT_EQ(sound.samples, std::vector<int16_t>(2000 * 2, 8192));
}

TEST(SoundPreload, TheWorkerDecodesWhatTheLoadWouldAndHandsItOverOnce) {
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(writeSoundFile("music.mp3", stereoTone(44100, 44100, 0.5f), 2, 44100));
    DecodedSound direct, ahead;
    ASSERT_TRUE(decodeSoundFile("music.mp3", direct));
    bool decoded = false;
    preloadSoundFile("music.mp3");
    EXPECT_FALSE(takePreloadedSound("other.mp3", ahead, decoded)) << "only the file asked for";
    ASSERT_TRUE(takePreloadedSound("music.mp3", ahead, decoded));
    EXPECT_TRUE(decoded && ahead.sampleRate == 44100 && ahead.channels == 2 && ahead.samples == direct.samples);
    EXPECT_FALSE(takePreloadedSound("music.mp3", ahead, decoded)) << "handed over once";

    // A file that does not decode is reported as such; discarding waits for the worker.
    preloadSoundFile("missing.mp3");
    ASSERT_TRUE(takePreloadedSound("missing.mp3", ahead, decoded));
    EXPECT_TRUE(!decoded && ahead.samples.empty());
    preloadSoundFile("music.mp3");
    preloadSoundFile("music.mp3");   // a second start replaces the first
    discardPreloadedSounds();
    EXPECT_FALSE(takePreloadedSound("music.mp3", ahead, decoded));
}
