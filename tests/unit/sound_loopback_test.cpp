// The demo's sound: its calls in order through the recording backend (sound on, sound off, a device
// that cannot be opened), and what is heard, mixed offline through the loopback device step by step,
// streamed music included.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "services/settings.h"
#include "sound/loopback_sound.h"
#include "sound/openal_backend.h"
#include "sound/openal_stream.h"
#include "sound/sound.h"
#include "sound/sound_decoder.h"
#include "sound/stream_feeder.h"
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
        // Closed at once; later calls carry empty handles.
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
        initSound();
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

namespace {
// Renders `frames` stereo frames in steps of the given sizes, cycling through them.
std::vector<int16_t> renderInSteps(size_t frames, const std::vector<int>& steps) {
    std::vector<int16_t> out(frames * 2);
    size_t done = 0;
    for (size_t k = 0; done < frames; ++k) {
        const int step = static_cast<int>(std::min<size_t>(steps[k % steps.size()], frames - done));
        renderLoopbackSamples(&out[done * 2], step);
        done += static_cast<size_t>(step);
    }
    return out;
}

// Largest difference from the expected samples over [from, to); past the end of `expected`, silence.
int worstDifference(const std::vector<int16_t>& heard, const std::vector<int16_t>& expected, size_t from, size_t to) {
    int worst = 0;
    for (size_t i = from; i < to && i < heard.size(); ++i)
        worst = std::max(worst, std::abs(heard[i] - (i < expected.size() ? expected[i] : 0)));
    return worst;
}
}  // namespace

// A long file is streamed through a queue of a few buffers refilled before each mix: every frame is heard
// once and in order across many refills, in short steps and in steps longer than a buffer; then silence.
// Played again it starts from its first frame; freed, it stops. A file cut short plays what it holds.
TEST(SoundLoopback, StreamedMusicPlaysEveryFrameInOrderThroughManyRefills) {
    TemporarySoundFolder folder;
    ASSERT_TRUE(folder.ok());
    constexpr int seconds = 10;   // past the streaming threshold, about 27 buffers
    ASSERT_TRUE(writeSoundFile("long.wav", stereoTone(rate * seconds, rate, 0.5f), 2, rate));
    std::filesystem::copy_file("long.wav", "cut.wav");
    std::filesystem::resize_file("cut.wav", std::filesystem::file_size("long.wav") - 3 * rate * 4);
    DecodedSound whole, cut;
    ASSERT_TRUE(decodeSoundFile("long.wav", whole) && decodeSoundFile("cut.wav", cut));
    ASSERT_EQ(cut.frames(), static_cast<size_t>(rate * (seconds - 3)));
    ASSERT_GT(cut.bytes(), static_cast<size_t>(streamAboveBytes)) << "both are streamed";

    ASSERT_TRUE(openLoopbackSound(rate));
    ASSERT_TRUE(initSoundLayer(rate, 4));
    const SoundSample music = loadSoundSample("long.wav"), damaged = loadSoundSample("cut.wav");
    ASSERT_FALSE(music.empty() || damaged.empty());
    const size_t total = whole.frames() + rate / 2;
    int channel = playSoundSample(music);
    setChannelVolume(channel, 255);
    const std::vector<int16_t> stepped = renderInSteps(total, {735, 735, 1470, 50000, 1, 4410});
    EXPECT_LE(worstDifference(stepped, whole.samples, 0, stepped.size()), 3) << "dithered by a bit or so";
    EXPECT_GT(*std::max_element(stepped.begin(), stepped.end()), 15000);

    channel = playSoundSample(music);   // again: from the first frame, in one long step after another
    setChannelVolume(channel, 255);
    const std::vector<int16_t> long_steps = renderInSteps(total, {100000});
    EXPECT_LE(worstDifference(long_steps, whole.samples, 0, long_steps.size()), 3);

    channel = playSoundSample(damaged);
    setChannelVolume(channel, 255);
    const std::vector<int16_t> shortened = renderInSteps(cut.frames() + rate, {735});
    EXPECT_LE(worstDifference(shortened, cut.samples, 0, shortened.size()), 3) << "the frames it holds, then silence";

    channel = playSoundSample(music);
    setChannelVolume(channel, 255);
    renderInSteps(rate, {735});
    freeSoundSample(music);
    const std::vector<int16_t> afterFree = renderInSteps(rate, {735});
    EXPECT_LE(worstDifference(afterFree, {}, 0, afterFree.size()), 3) << "freed: stopped";
    EXPECT_EQ(playSoundSample(music), noChannel);
    closeSoundLayer();
    closeLoopbackSound();
}

// The worker that feeds streams on a real device calls its function until stopped, and only one runs.
TEST(SoundStreamFeeder, CallsUntilStoppedAndNeverTwice) {
    static std::atomic<int> calls{0};
    calls = 0;
    ASSERT_TRUE(startStreamFeeder([] { ++calls; }, 1));
    EXPECT_TRUE(startStreamFeeder([] { calls += 1000; }, 1)) << "already running: kept as it is";
    for (int wait = 0; wait < 10000 && calls < 3; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stopStreamFeeder();
    const int stoppedAt = calls;
    EXPECT_TRUE(stoppedAt >= 3 && stoppedAt < 1000) << stoppedAt;
    EXPECT_FALSE(streamFeederRunning());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(calls, stoppedAt);
    stopStreamFeeder();   // stopping twice is harmless
    EXPECT_FALSE(startStreamFeeder(nullptr, 1));
    EXPECT_FALSE(startStreamFeeder([] {}, 0));
}
