// The demo's sound: its calls in order through the recording backend (sound on, sound off, a device
// that cannot be opened), and what is heard, mixed offline through the loopback device step by step.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/settings.h"
#include "sound/loopback_sound.h"
#include "sound/openal_backend.h"
#include "sound/sound.h"
#include "sound/sound_decoder.h"
#include "sound/sound_preload.h"
#include "support/sound_recorder.h"
#include "support/sound_test_files.h"

namespace {
constexpr int rate = 44100;
constexpr int framesPerStep = 735;   // one 60 Hz frame step at 44.1 kHz
constexpr double volumeGain = 200.0 / 255.0 / 255.0;   // a channel volume of 1 under master volume 200

// One run of the demo's sound on the loopback device: start-up, then `steps` frame steps with the
// effect, puff and rock requested at the given steps (-1 for never), then the release.
std::vector<int16_t> runSteps(int steps, int effectStep, int puffStep, int rockStep) {
    soundEnabled = true;
    EXPECT_TRUE(openLoopbackSound(rate));
    beginSoundLoading();
    initSound();
    EXPECT_FALSE(musicSample.empty() || effectSample1.empty() || puffSample.empty() || rockSample.empty());
    EXPECT_EQ(openAlChannelCount(), 32);
    std::vector<int16_t> all(static_cast<size_t>(steps * framesPerStep) * 2);
    for (int i = 0; i < steps; ++i) {
        if (i == effectStep) playEffect1Sound();
        if (i == puffStep) playPuffSound();
        if (i == rockStep) playRockSound();
        renderLoopbackSamples(&all[static_cast<size_t>(i * framesPerStep) * 2], framesPerStep);
    }
    releaseSound();
    closeLoopbackSound();
    return all;
}
}  // namespace

TEST(SoundSequence, StartPlayAndReleaseMakeTheseCalls) {
    struct Case {
        const char* name;
        bool soundOn, initSucceeds;
        const char* calls;
    };
    const Case cases[] = {
        {"sound on", true, true,
         "minHardwareChannels 4; init 44100 32; load data/sound/ikarie.mp3 -> 1; load data/sound/1.wav -> 2; "
         "load data/sound/puff.wav -> 3; load data/sound/rock.wav -> 4; reverb 17; rolloff 0.5; doppler 1; "
         "master 200; play 1 -> 0; volume 0 180; play 2 -> 1; volume 1 180; play 3 -> 2; volume 2 100; "
         "play 4 -> 3; volume 3 150; free 1; free 2; free 3; free 4; close; "},
        // No call at all, and the music is not even decoded.
        {"sound off", false, true, ""},
        // Closed at once, the music decoded ahead dropped; later calls carry empty handles.
        {"init fails", true, false,
         "minHardwareChannels 4; init 44100 32; close; play 0 -> -1; volume -1 180; play 0 -> -1; "
         "volume -1 100; play 0 -> -1; volume -1 150; free 0; free 0; free 0; free 0; close; "},
    };
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(writeSoundFile("data/sound/ikarie.mp3", stereoTone(4410, 44100, 0.5f), 2, 44100));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        soundEnabled = c.soundOn;
        recordSoundCalls(c.initSucceeds);
        beginSoundLoading();
        initSound();
        DecodedSound music;
        bool decoded = false;
        // The music decoded ahead still waits for its load only after a successful start.
        EXPECT_EQ(takePreloadedSound("data/sound/ikarie.mp3", music, decoded), c.soundOn && c.initSucceeds);
        playEffect1Sound();
        playPuffSound();
        playRockSound();
        releaseSound();
        std::string calls;
        for (const std::string& call : recordedSoundCalls()) calls += call + "; ";
        EXPECT_EQ(calls, c.calls);
        EXPECT_TRUE(musicSample.empty() && effectSample1.empty() && puffSample.empty() && rockSample.empty());
        restoreSoundBackend();
    }
    soundEnabled = true;
}

TEST(SoundLoopback, MusicFromTheFirstSampleEffectsFromTheirStepThenTheReverb) {
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::vector<float> effect(4410 * 2, 0.5f);   // 0.1 s of a constant level
    ASSERT_TRUE(writeSoundFile("data/sound/ikarie.mp3", stereoTone(rate, rate, 0.5f), 2, rate));
    for (const char* name : {"data/sound/1.wav", "data/sound/puff.wav", "data/sound/rock.wav"})
        ASSERT_TRUE(writeSoundFile(name, effect, 2, rate));
    DecodedSound decoded;   // the music as the layer gets it
    ASSERT_TRUE(decodeSoundFile("data/sound/ikarie.mp3", decoded));
    const std::vector<int16_t>& music = decoded.samples;
    const size_t effectStart = 10 * framesPerStep * 2, puffStart = 12 * framesPerStep * 2;
    const std::vector<int16_t> heard = runSteps(40, 10, 12, -1);
    ASSERT_LE(heard.size(), music.size());

    // Up to the first reflection (0.3 s) only the dry sound is heard: the music at volume 180 from the
    // very first sample, the effect (180) and the puff (100) from the step that plays them, for 0.1 s.
    const size_t firstReflection = static_cast<size_t>(0.3 * rate) * 2;
    const auto dry = [&](size_t i, bool withEffects) {
        double level = music[i] * 180 * volumeGain;
        const auto during = [&](size_t start) { return withEffects && i >= start && i < start + effect.size(); };
        if (during(effectStart)) level += 16384.0 * 180 * volumeGain;
        if (during(puffStart)) level += 16384.0 * 100 * volumeGain;
        return level;
    };
    double worst = 0;
    for (size_t i = 0; i < firstReflection; ++i) worst = std::max(worst, std::abs(heard[i] - dry(i, true)));
    EXPECT_LE(worst, 3.0) << "16-bit output is dithered by a least significant bit or so";
    // After it the mountains reverb adds to the music: the channels really send to the effect slot.
    worst = 0;
    for (size_t i = firstReflection + 2000; i < heard.size(); ++i)
        worst = std::max(worst, std::abs(heard[i] - dry(i, false)));
    EXPECT_GT(worst, 20.0);
}

// The data set's own four files load, and two runs with the same requests give the same samples.
TEST(SoundLoopback, TwoRunsOfTheDataSetRenderTheSameSamples) {
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    ASSERT_NE(build, nullptr);
    const std::filesystem::path previous = std::filesystem::current_path();
    ASSERT_EQ(chdir(build), 0);
    const std::vector<int16_t> first = runSteps(120, 3, 25, 40);
    const std::vector<int16_t> second = runSteps(120, 3, 25, 40);
    ASSERT_EQ(chdir(previous.c_str()), 0);
    EXPECT_TRUE(first == second);
    EXPECT_GT(*std::max_element(first.begin(), first.end()), 5000);
}
