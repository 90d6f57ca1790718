// What is heard: the demo's sound mixed offline through the loopback device and compared with the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/settings.h"
#include "sound/loopback_sound.h"
#include "sound/openal_backend.h"
#include "sound/sound.h"
#include "support/sound_test_files.h"

namespace {
constexpr int rate = 44100;
constexpr int framesPerStep = 735;   // one 60 Hz frame step at 44.1 kHz
constexpr double musicGain = 180.0 / 255.0 * 200.0 / 255.0;
constexpr int ditherTolerance = 2;   // 16-bit output is dithered by a least significant bit or so

std::vector<int16_t> render(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    renderLoopbackSamples(out.data(), frames);
    return out;
}

void append(std::vector<int16_t>& all, const std::vector<int16_t>& more) { all.insert(all.end(), more.begin(), more.end()); }

// The four files the demo loads, written into the current folder.
bool writeDemoSounds(const std::vector<float>& music, const std::vector<float>& effect) {
    return writeMp3File("data/sound/ikarie.mp3", music, 2, rate) && writeWavFile("data/sound/1.wav", effect, 2, rate) &&
           writeWavFile("data/sound/puff.wav", effect, 2, rate) && writeWavFile("data/sound/rock.wav", effect, 2, rate);
}

// Largest difference between what was heard and the music scaled by gain, over samples [from, to).
int worstDifference(const std::vector<int16_t>& heard, const std::vector<int16_t>& music, double gain, size_t from,
                    size_t to) {
    int worst = 0;
    for (size_t i = from; i < to && i < heard.size() && i < music.size(); ++i)
        worst = std::max(worst, std::abs(heard[i] - static_cast<int>(std::lround(music[i] * gain))));
    return worst;
}

int loudest(const std::vector<int16_t>& samples, size_t from, size_t to) {
    int peak = 0;
    for (size_t i = from; i < to && i < samples.size(); ++i) peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    return peak;
}

struct LoopbackTest : ::testing::Test {
    TemporarySoundFolder folder;
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        soundEnabled = true;
        ASSERT_TRUE(openLoopbackSound(rate));
    }
    void TearDown() override {
        releaseSound();
        closeLoopbackSound();
    }
};

// One run of the demo's sound: start-up, then `steps` frame steps with the effect, puff and rock
// requested at the given steps (-1 for never).
std::vector<int16_t> runSteps(int steps, int effectStep, int puffStep, int rockStep) {
    beginSoundLoading();
    initSound();
    std::vector<int16_t> all;
    for (int i = 0; i < steps; ++i) {
        if (i == effectStep) playEffect1Sound();
        if (i == puffStep) playPuffSound();
        if (i == rockStep) playRockSound();
        append(all, render(framesPerStep));
    }
    return all;
}
}  // namespace

TEST_F(LoopbackTest, MusicStartsAtTheFirstRenderedSampleAndTheReverbFollows) {
    ASSERT_TRUE(writeDemoSounds(stereoTone(rate, rate, 0.8f), constantSamples(4410, 2, 0.5f)));
    int channels = 0;
    const std::vector<int16_t> music = readAllShorts("data/sound/ikarie.mp3", channels);
    ASSERT_EQ(channels, 2);
    const std::vector<int16_t> heard = runSteps(40, -1, -1, -1);
    ASSERT_LE(heard.size(), music.size());
    EXPECT_EQ(openAlChannelCount(), 32);
    // Up to the first reflection (0.3 s) only the dry music is heard, from the very first sample.
    const size_t firstReflection = static_cast<size_t>(0.3 * rate) * 2;
    EXPECT_GT(loudest(heard, 0, 2 * framesPerStep), 10000);
    EXPECT_LE(worstDifference(heard, music, musicGain, 0, firstReflection), ditherTolerance);
    // After it the mountains reverb adds to the music: the channels really send to the effect slot.
    EXPECT_GT(worstDifference(heard, music, musicGain, firstReflection + 2000, heard.size()), 20);
}

TEST_F(LoopbackTest, EffectsStartInTheFrameStepThatPlaysThem) {
    ASSERT_TRUE(writeDemoSounds(constantSamples(rate, 2, 0.0f), constantSamples(4410, 2, 0.5f)));
    const int effectStep = 10, puffStep = 12;
    const std::vector<int16_t> heard = runSteps(14, effectStep, puffStep, -1);
    const size_t effectStart = static_cast<size_t>(effectStep * framesPerStep) * 2;
    const size_t puffStart = static_cast<size_t>(puffStep * framesPerStep) * 2;
    EXPECT_LE(loudest(heard, 0, effectStart), ditherTolerance) << "silent music, nothing played yet";
    const double effectLevel = 16384.0 * musicGain;                     // volume 180 under master 200
    const double puffLevel = 16384.0 * 100.0 / 255.0 * 200.0 / 255.0;  // volume 100
    for (size_t i = effectStart; i < puffStart; ++i) EXPECT_NEAR(heard[i], effectLevel, ditherTolerance) << i;
    for (size_t i = puffStart; i < heard.size(); ++i) EXPECT_NEAR(heard[i], effectLevel + puffLevel, ditherTolerance) << i;
}

TEST_F(LoopbackTest, TwoRunsRenderTheSameSamples) {
    ASSERT_TRUE(writeDemoSounds(stereoTone(rate, rate, 0.6f), stereoTone(8000, rate, 0.4f)));
    const std::vector<int16_t> first = runSteps(60, 3, 25, 40);
    releaseSound();
    closeLoopbackSound();
    ASSERT_TRUE(openLoopbackSound(rate));
    const std::vector<int16_t> second = runSteps(60, 3, 25, 40);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_TRUE(first == second);
    EXPECT_GT(loudest(first, 0, first.size()), 5000);
}

TEST_F(LoopbackTest, NothingIsMixedWithSoundOffOrAfterTheRelease) {
    ASSERT_TRUE(writeDemoSounds(stereoTone(rate, rate, 0.8f), constantSamples(4410, 2, 0.5f)));
    soundEnabled = false;
    std::vector<int16_t> heard = runSteps(5, 1, 2, 3);
    EXPECT_EQ(loudest(heard, 0, heard.size()), 0);
    EXPECT_EQ(openAlChannelCount(), 0);
    soundEnabled = true;
    heard = runSteps(2, -1, -1, -1);
    EXPECT_GT(loudest(heard, 0, heard.size()), 10000);
    releaseSound();
    heard = render(framesPerStep);
    EXPECT_EQ(loudest(heard, 0, heard.size()), 0) << "the release stops the music";
}

// The build folder holding data/: HALVEX_BUILD_DIR, else the working folder or its parent (the unit
// tests run in the build folder's tests/).
namespace {
std::string dataSetFolder() {
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    if (build) return build;
    return std::filesystem::exists("data/sound") ? "." : "..";
}
}  // namespace

// The data set's own files: all four load, and the first seconds heard are the music at its gain.
TEST(DataSetSound, TheDemosFilesLoadAndTheMusicStartsAtClockZero) {
    const std::string root = dataSetFolder();
    const std::string previous = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(root.c_str()), 0);
    soundEnabled = true;
    ASSERT_TRUE(openLoopbackSound(rate));
    const std::vector<int16_t> heard = runSteps(180, -1, -1, -1);   // three seconds
    EXPECT_FALSE(musicSample.empty() || effectSample1.empty() || puffSample.empty() || rockSample.empty());
    releaseSound();
    closeLoopbackSound();
    int channels = 0;
    const std::vector<int16_t> music = readAllShorts("data/sound/ikarie.mp3", channels);
    ASSERT_EQ(chdir(previous.c_str()), 0);
    ASSERT_EQ(channels, 2);
    ASSERT_GE(music.size(), heard.size());

    const size_t firstReflection = static_cast<size_t>(0.3 * rate) * 2;
    EXPECT_LE(worstDifference(heard, music, musicGain, 0, firstReflection), ditherTolerance);
    // Later the reverb adds a tail, which hardly correlates with the music of the same instant: the
    // projection of what is heard onto the music still gives the music's gain.
    double along = 0, power = 0;
    for (size_t i = firstReflection; i < heard.size(); ++i) {
        along += static_cast<double>(heard[i]) * music[i];
        power += static_cast<double>(music[i]) * music[i];
    }
    ASSERT_GT(power, 0.0);
    EXPECT_NEAR(along / power, musicGain, 0.02 * musicGain);
}
