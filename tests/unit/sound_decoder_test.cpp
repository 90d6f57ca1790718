// Whole-file and chunked decoding of WAV and MP3 samples, and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sound/sound_decoder.h"
#include "sound/sound_stream.h"
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

// Chunk by chunk, a stream gives exactly what the whole decoding gives, whatever the chunk size, and
// then ends cleanly; it starts again from the first frame when rewound.
TEST(SoundStream, ChunksAddUpToTheWholeFileThenEnd) {
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(writeSoundFile("long.wav", stereoTone(44100 * 3 + 77, 44100, 0.5f), 2, 44100));
    ASSERT_TRUE(writeSoundFile("long.mp3", stereoTone(44100 * 2 + 5, 44100, 0.5f), 2, 44100));
    ASSERT_TRUE(writeSoundFile("short.wav", std::vector<float>(100, 0.25f), 1, 22050));
    for (const char* name : {"long.wav", "long.mp3", "short.wav"})
        for (size_t chunkFrames : {size_t{1}, size_t{1000}, size_t{4096}, size_t{1} << 20}) {
            SCOPED_TRACE(std::string(name) + " in chunks of " + std::to_string(chunkFrames));
            if (chunkFrames == 1 && std::string(name) != "short.wav") continue;   // slow, and no new case
            DecodedSound whole;
            ASSERT_TRUE(decodeSoundFile(name, whole));
            SoundStream stream;
            ASSERT_TRUE(stream.open(name));
            EXPECT_TRUE(stream.sampleRate() == whole.sampleRate && stream.channels() == whole.channels);
            std::vector<int16_t> joined, chunk;
            size_t chunks = 0;
            while (size_t frames = stream.readChunk(chunk, chunkFrames)) {
                ASSERT_LE(frames, chunkFrames);
                EXPECT_EQ(chunk.size(), frames * static_cast<size_t>(whole.channels));
                joined.insert(joined.end(), chunk.begin(), chunk.end());
                ++chunks;
            }
            EXPECT_TRUE(stream.ended() && chunk.empty());
            EXPECT_EQ(stream.readChunk(chunk, chunkFrames), 0u) << "stays at its end";
            EXPECT_EQ(joined, whole.samples);
            EXPECT_EQ(chunks, (whole.frames() + chunkFrames - 1) / chunkFrames);

            ASSERT_TRUE(stream.rewind());
            EXPECT_FALSE(stream.ended());
            const size_t again = stream.readChunk(chunk, chunkFrames);
            EXPECT_TRUE(again > 0 && std::equal(chunk.begin(), chunk.end(), whole.samples.begin()));
        }
}

TEST(SoundStream, DamagedFilesOpenNotOrEndWhereTheirDataEnds) {
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    std::ofstream("noise.wav") << std::string(5000, 'Z');
    std::ofstream("empty.mp3");
    ASSERT_TRUE(writeSoundFile("three.wav", std::vector<float>(300, 0.1f), 3, 44100));
    ASSERT_TRUE(writeSoundFile("whole.wav", std::vector<float>(8000, 0.25f), 2, 44100));
    std::filesystem::copy_file("whole.wav", "header.wav");
    std::filesystem::resize_file("header.wav", 30);
    SoundStream stream;
    std::vector<int16_t> chunk(10, 1);
    for (const char* name : {"missing.wav", "noise.wav", "empty.mp3", "three.wav", "header.wav"}) {
        EXPECT_FALSE(stream.open(name)) << name;
        EXPECT_TRUE(!stream.isOpen() && stream.ended()) << name;
        EXPECT_EQ(stream.readChunk(chunk, 100), 0u) << name;
        EXPECT_TRUE(chunk.empty());
        EXPECT_FALSE(stream.rewind());
    }
    EXPECT_FALSE(stream.open(nullptr));

    // A header promising more than the file holds: the frames that are there, then the end.
    std::filesystem::copy_file("whole.wav", "cut.wav");
    std::filesystem::resize_file("cut.wav", std::filesystem::file_size("whole.wav") - 8000);
    ASSERT_TRUE(stream.open("cut.wav"));
    EXPECT_LE(stream.announcedFrames(), 4000);
    size_t frames = 0;
    while (size_t got = stream.readChunk(chunk, 300)) {
        frames += got;
        EXPECT_EQ(chunk, std::vector<int16_t>(got * 2, 8192));
    }
    EXPECT_EQ(frames, 2000u);

    // A moved stream carries its file; the one it came from is closed.
    ASSERT_TRUE(stream.rewind());
    SoundStream moved = std::move(stream);
    EXPECT_TRUE(moved.isOpen() && !stream.isOpen());
    EXPECT_EQ(moved.readChunk(chunk, 5000), 2000u);
}
