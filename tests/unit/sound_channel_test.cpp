// Channels of the OpenAL layer: which channel a request takes, volumes and master volume as heard,
// and calls with empty handles or outside an initialised layer.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sound/channel_pool.h"
#include "sound/loopback_sound.h"
#include "sound/openal_backend.h"
#include "sound/sound_layer.h"
#include "support/sound_test_files.h"

namespace {
constexpr int rate = 44100;
constexpr double fullScale = 16384.0;   // the constant 0.5 test sample as 16-bit

std::vector<int16_t> render(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    renderLoopbackSamples(out.data(), frames);
    return out;
}

struct LayerTest : ::testing::Test {
    TemporarySoundFolder folder;
    SoundSample longSample, shortSample;
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_TRUE(writeWavFile("long.wav", constantSamples(rate * 2, 2, 0.5f), 2, rate));
        ASSERT_TRUE(writeWavFile("short.wav", constantSamples(441, 2, 0.5f), 2, rate));
        ASSERT_TRUE(openLoopbackSound(rate));
    }
    void initLayer(int channels) {
        ASSERT_TRUE(initSoundLayer(rate, channels));
        longSample = loadSoundSample("long.wav");
        shortSample = loadSoundSample("short.wav");
        ASSERT_FALSE(longSample.empty());
        ASSERT_FALSE(shortSample.empty());
    }
    void TearDown() override {
        closeSoundLayer();
        closeLoopbackSound();
    }
};
}  // namespace

TEST(ChannelChoice, SilentOldestFirstThenOldestPlaying) {
    std::vector<ChannelUse> c(4);
    EXPECT_EQ(chooseChannel(c.data(), 4), 0) << "never used, lowest first";
    c = {{true, 1}, {false, 0}, {true, 2}, {false, 0}};
    EXPECT_EQ(chooseChannel(c.data(), 4), 1);
    c = {{true, 5}, {false, 4}, {false, 2}, {true, 1}};
    EXPECT_EQ(chooseChannel(c.data(), 4), 2) << "the finished channel started longest ago";
    c = {{true, 5}, {true, 3}, {true, 7}, {true, 4}};
    EXPECT_EQ(chooseChannel(c.data(), 4), 1) << "all busy: the oldest playing";
    EXPECT_EQ(chooseChannel(c.data(), 0), -1);
    EXPECT_EQ(chooseChannel(nullptr, 4), -1);
}

TEST_F(LayerTest, FreeChannelsFirstThenTheOldestFinishedThenTheOldestPlaying) {
    initLayer(4);
    EXPECT_EQ(playSoundSample(longSample), 0);
    EXPECT_EQ(playSoundSample(shortSample), 1);
    EXPECT_EQ(playSoundSample(longSample), 2);
    EXPECT_EQ(playSoundSample(shortSample), 3);
    render(2048);   // both short sounds end
    EXPECT_EQ(playSoundSample(longSample), 1);
    EXPECT_EQ(playSoundSample(longSample), 3);
    // Every channel busy: channel 0 (started first) is cut off and takes the new sound.
    EXPECT_EQ(playSoundSample(shortSample), 0);
    render(2048);
    EXPECT_EQ(playSoundSample(shortSample), 0) << "the short sound on 0 ended, so 0 is free again";
}

TEST_F(LayerTest, ThirtyTwoChannelsThenTheOldestIsReused) {
    initLayer(32);
    EXPECT_EQ(openAlChannelCount(), 32);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(playSoundSample(longSample), i);
    EXPECT_EQ(playSoundSample(longSample), 0);
    EXPECT_EQ(playSoundSample(longSample), 1);
}

TEST_F(LayerTest, ChannelAndMasterVolumesScaleWhatIsHeard) {
    initLayer(4);
    const int channel = playSoundSample(longSample);
    ASSERT_EQ(channel, 0);
    struct Case {
        int volume, master;
        double gain;
    };
    const Case cases[] = {{255, 255, 1.0},          {180, 200, 180.0 / 255 * 200 / 255},
                          {100, 255, 100.0 / 255},  {255, 51, 0.2},
                          {0, 255, 0.0},            {300, 400, 1.0},
                          {-20, 255, 0.0},          {128, -5, 0.0}};
    for (const Case& c : cases) {
        setChannelVolume(channel, c.volume);
        setEffectMasterVolume(c.master);
        // A gain change glides to its new value; look at the end of a longer stretch.
        const std::vector<int16_t> heard = render(8192);
        EXPECT_NEAR(heard[16382], fullScale * c.gain, 2.0) << c.volume << " " << c.master;
        EXPECT_NEAR(heard[16383], fullScale * c.gain, 2.0) << c.volume << " " << c.master;
    }
    EXPECT_FLOAT_EQ(volumeToGain(0), 0.0f);
    EXPECT_FLOAT_EQ(volumeToGain(255), 1.0f);
    EXPECT_FLOAT_EQ(volumeToGain(51), 0.2f);
    EXPECT_FLOAT_EQ(volumeToGain(-1), 0.0f);
    EXPECT_FLOAT_EQ(volumeToGain(256), 1.0f);
}

TEST_F(LayerTest, EmptyHandlesAndUnknownChannelsDoNothing) {
    // Before initialisation every call is accepted.
    EXPECT_TRUE(loadSoundSample("long.wav").empty());
    EXPECT_EQ(playSoundSample({1}), noChannel);
    setChannelVolume(0, 100);
    setEffectMasterVolume(100);
    setSoundReverb(mountainsReverb);
    freeSoundSample({1});
    closeSoundLayer();

    initLayer(4);
    EXPECT_TRUE(loadSoundSample("missing.wav").empty());
    EXPECT_TRUE(loadSoundSample(nullptr).empty());
    EXPECT_EQ(playSoundSample({}), noChannel);
    EXPECT_EQ(playSoundSample({longSample.id + 100}), noChannel);
    setChannelVolume(noChannel, 255);
    setChannelVolume(4, 255);
    setChannelVolume(1 << 30, 255);
    freeSoundSample({});
    std::vector<int16_t> heard = render(256);
    EXPECT_LE(std::abs(heard[100]), 2) << "nothing plays";

    // A sample freed while it plays is stopped, and its handle is dead from then on.
    ASSERT_EQ(playSoundSample(longSample), 0);
    heard = render(256);
    EXPECT_NEAR(heard[100], fullScale, 2.0);
    freeSoundSample(longSample);
    freeSoundSample(longSample);
    EXPECT_EQ(playSoundSample(longSample), noChannel);
    heard = render(256);
    EXPECT_LE(std::abs(heard[100]), 2);
    EXPECT_EQ(playSoundSample(shortSample), 1) << "other samples still play, on a never-used channel first";

    // After closing, the same calls are accepted again and nothing is mixed.
    closeSoundLayer();
    EXPECT_EQ(playSoundSample(shortSample), noChannel);
    setChannelVolume(0, 10);
    freeSoundSample(shortSample);
    closeSoundLayer();
    heard = render(256);
    EXPECT_EQ(heard[100], 0);
}

TEST(LoopbackDevice, RefusesBadRatesAndRendersSilenceWhenClosed) {
    EXPECT_FALSE(openLoopbackSound(0));
    EXPECT_FALSE(openLoopbackSound(-44100));
    EXPECT_FALSE(loopbackSoundOpen());
    std::vector<int16_t> out(64, 123);
    renderLoopbackSamples(out.data(), 32);
    for (int16_t v : out) EXPECT_EQ(v, 0);
    renderLoopbackSamples(nullptr, 32);
    renderLoopbackSamples(out.data(), -1);
    ASSERT_TRUE(openLoopbackSound(48000));
    EXPECT_EQ(loopbackSampleRate(), 48000);
    closeLoopbackSound();
    closeLoopbackSound();
    EXPECT_EQ(loopbackSampleRate(), 0);
}
