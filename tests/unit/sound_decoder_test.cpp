// Whole-file decoding of WAV and MP3 samples, damaged files, and the music decoded ahead on a worker.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "sound/sound_decoder.h"
#include "sound/sound_preload.h"
#include "support/sound_test_files.h"

namespace {
std::vector<uint8_t> fileBytes(const char* path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path, "rb");
    if (!f) return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return bytes;
}
}  // namespace

TEST(SoundDecoder, WavAndMp3DecodeCompletely) {
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    std::vector<float> mono(1000);
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = static_cast<float>(i % 100) / 200.0f - 0.25f;
    ASSERT_TRUE(writeWavFile("mono.wav", mono, 1, 22050));
    DecodedSound sound;
    ASSERT_TRUE(decodeSoundFile("mono.wav", sound));
    EXPECT_EQ(sound.channels, 1);
    EXPECT_EQ(sound.sampleRate, 22050);
    ASSERT_EQ(sound.frames(), 1000u);
    EXPECT_EQ(sound.bytes(), 2000u);
    for (size_t i = 0; i < mono.size(); ++i) EXPECT_NEAR(sound.samples[i], mono[i] * 32768.0f, 1.0f) << i;

    // LAME's delay and padding are removed: exactly the frames written come back, and more than one read
    // chunk's worth of them.
    const std::vector<float> tone = stereoTone(44100 * 2 + 123, 44100, 0.5f);
    ASSERT_TRUE(writeMp3File("tone.mp3", tone, 2, 44100));
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
    DecodedSound sound;
    EXPECT_FALSE(decodeSoundFile("missing.wav", sound));
    EXPECT_FALSE(decodeSoundFile(nullptr, sound));
    ASSERT_TRUE(writeBytes("noise.wav", std::vector<uint8_t>(5000, 0x5A)));
    EXPECT_FALSE(decodeSoundFile("noise.wav", sound));
    ASSERT_TRUE(writeBytes("empty.mp3", {}));
    EXPECT_FALSE(decodeSoundFile("empty.mp3", sound));
    ASSERT_TRUE(writeWavFile("three.wav", constantSamples(100, 3, 0.1f), 3, 44100));
    EXPECT_FALSE(decodeSoundFile("three.wav", sound)) << "more than two channels";
    ASSERT_TRUE(writeWavFile("silent.wav", {}, 2, 44100));
    EXPECT_FALSE(decodeSoundFile("silent.wav", sound)) << "no frames";
    EXPECT_TRUE(sound.samples.empty());
    EXPECT_EQ(sound.channels, 0);

    // Over the size limit the sample is refused as a whole, at the limit it is kept.
    ASSERT_TRUE(writeWavFile("long.wav", constantSamples(40000, 2, 0.25f), 2, 44100));
    EXPECT_FALSE(decodeSoundFile("long.wav", sound, 40000 * 4 - 2));
    EXPECT_TRUE(sound.samples.empty());
    EXPECT_TRUE(decodeSoundFile("long.wav", sound, 40000 * 4));
    EXPECT_EQ(sound.frames(), 40000u);

    // A WAV cut short (header promising more than is there) gives what is there, never more.
    ASSERT_TRUE(writeWavFile("whole.wav", constantSamples(4000, 2, 0.25f), 2, 44100));
    std::vector<uint8_t> bytes = fileBytes("whole.wav");
    ASSERT_GT(bytes.size(), 8044u);
    bytes.resize(bytes.size() - 8000);
    ASSERT_TRUE(writeBytes("cut.wav", bytes));
    ASSERT_TRUE(decodeSoundFile("cut.wav", sound));
    EXPECT_EQ(sound.frames(), 2000u);
    for (int16_t v : sound.samples) EXPECT_EQ(v, 8192);
    // Cut inside the header: no sample at all.
    bytes.resize(30);
    ASSERT_TRUE(writeBytes("header.wav", bytes));
    EXPECT_FALSE(decodeSoundFile("header.wav", sound));
}

TEST(SoundPreload, TheWorkerDecodesWhatTheLoadWouldAndHandsItOverOnce) {
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(writeMp3File("music.mp3", stereoTone(44100, 44100, 0.5f), 2, 44100));
    DecodedSound direct, ahead;
    ASSERT_TRUE(decodeSoundFile("music.mp3", direct));

    preloadSoundFile("music.mp3");
    bool decoded = false;
    EXPECT_FALSE(takePreloadedSound("other.mp3", ahead, decoded)) << "only the file asked for";
    ASSERT_TRUE(takePreloadedSound("music.mp3", ahead, decoded));
    EXPECT_TRUE(decoded);
    EXPECT_EQ(ahead.sampleRate, direct.sampleRate);
    EXPECT_EQ(ahead.channels, direct.channels);
    EXPECT_TRUE(ahead.samples == direct.samples);
    EXPECT_FALSE(takePreloadedSound("music.mp3", ahead, decoded)) << "handed over once";

    // A file that does not decode is reported as such; discarding waits for the worker.
    preloadSoundFile("missing.mp3");
    ASSERT_TRUE(takePreloadedSound("missing.mp3", ahead, decoded));
    EXPECT_FALSE(decoded);
    EXPECT_TRUE(ahead.samples.empty());
    preloadSoundFile("music.mp3");
    preloadSoundFile("music.mp3");   // a second start replaces the first
    discardPreloadedSounds();
    EXPECT_FALSE(takePreloadedSound("music.mp3", ahead, decoded));
}
