// The demo's sound calls, checked through the recording backend: start-up, play requests, release,
// with sound on, sound off and a device that cannot be opened.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/settings.h"
#include "sound/sound.h"
#include "sound/sound_preload.h"
#include "support/sound_recorder.h"
#include "support/sound_test_files.h"

namespace {
using Calls = std::vector<std::string>;

void playEverything() {
    playEffect1Sound();
    playPuffSound();
    playRockSound();
}

struct RecordingTest : ::testing::Test {
    void TearDown() override {
        restoreSoundBackend();
        discardPreloadedSounds();
        soundEnabled = true;
    }
};
}  // namespace

TEST_F(RecordingTest, SoundOnMakesEveryCallInOrder) {
    soundEnabled = true;
    recordSoundCalls();
    initSound();
    const Calls start = {"minHardwareChannels 4",
                         "init 44100 32",
                         "load data/sound/ikarie.mp3 -> 1",
                         "load data/sound/1.wav -> 2",
                         "load data/sound/puff.wav -> 3",
                         "load data/sound/rock.wav -> 4",
                         "reverb 17",
                         "rolloff 0.5",
                         "doppler 1",
                         "master 200",
                         "play 1 -> 0",
                         "volume 0 180"};
    EXPECT_EQ(recordedSoundCalls(), start);
    EXPECT_EQ(lastChannel, 0);
    EXPECT_EQ(std::memcmp(&lastRecordedReverb(), &mountainsReverb, sizeof(ReverbProperties)), 0);

    playEffect1Sound();
    EXPECT_EQ(lastChannel, 1);
    playPuffSound();
    playPuffSound();
    EXPECT_EQ(lastChannel, 3);
    playRockSound();
    EXPECT_EQ(lastChannel, 4);
    releaseSound();
    Calls all = start;
    for (const char* line : {"play 2 -> 1", "volume 1 180", "play 3 -> 2", "volume 2 100", "play 3 -> 3",
                             "volume 3 100", "play 4 -> 4", "volume 4 150", "free 1", "free 2", "free 3",
                             "free 4", "close"})
        all.push_back(line);
    EXPECT_EQ(recordedSoundCalls(), all);
    EXPECT_TRUE(musicSample.empty() && effectSample1.empty() && puffSample.empty() && rockSample.empty());
}

TEST_F(RecordingTest, SoundOffMakesNoCallAndDecodesNothing) {
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(writeWavFile("data/sound/ikarie.mp3", stereoTone(4410, 44100, 0.5f), 2, 44100));
    soundEnabled = false;
    recordSoundCalls();
    beginSoundLoading();
    initSound();
    playEverything();
    releaseSound();
    EXPECT_TRUE(recordedSoundCalls().empty());
    DecodedSound sound;
    bool decoded = false;
    EXPECT_FALSE(takePreloadedSound("data/sound/ikarie.mp3", sound, decoded)) << "no decoding with sound off";
}

TEST_F(RecordingTest, FailedInitialisationClosesAtOnceAndLaterCallsCarryEmptyHandles) {
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(writeWavFile("data/sound/ikarie.mp3", stereoTone(4410, 44100, 0.5f), 2, 44100));
    recordSoundCalls(false);
    beginSoundLoading();
    initSound();
    EXPECT_EQ(recordedSoundCalls(), (Calls{"minHardwareChannels 4", "init 44100 32", "close"}));
    // The music decoded ahead is dropped with the failed start, not kept until shutdown.
    DecodedSound sound;
    bool decoded = false;
    EXPECT_FALSE(takePreloadedSound("data/sound/ikarie.mp3", sound, decoded));

    playEverything();
    EXPECT_EQ(lastChannel, noChannel);
    releaseSound();
    const Calls expected = {"minHardwareChannels 4", "init 44100 32", "close",  "play 0 -> -1", "volume -1 180",
                            "play 0 -> -1",          "volume -1 100", "play 0 -> -1", "volume -1 150",
                            "free 0",                "free 0",        "free 0", "free 0", "close"};
    EXPECT_EQ(recordedSoundCalls(), expected);
}

TEST_F(RecordingTest, MissingEffectLeavesItsHandleEmptyAndTheRestPlays) {
    recordSoundCalls(true, {"data/sound/puff.wav"});
    initSound();
    EXPECT_TRUE(puffSample.empty());
    EXPECT_FALSE(musicSample.empty());
    EXPECT_FALSE(rockSample.empty());
    playPuffSound();
    EXPECT_EQ(lastChannel, noChannel);
    EXPECT_EQ(recordedSoundCalls().back(), "volume -1 100");
    playRockSound();
    EXPECT_EQ(recordedSoundCalls().back(), "volume 1 150");
    releaseSound();
}
