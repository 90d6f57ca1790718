// Channels of the OpenAL layer as heard through the loopback device: which channel a request takes,
// volumes, and calls with empty handles, unknown channels or outside an initialised layer.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sound/loopback_sound.h"
#include "sound/sound_layer.h"
#include "support/sound_test_files.h"

namespace {
constexpr int rate = 44100;
constexpr double fullScale = 16384.0;   // the constant 0.5 test samples as 16-bit

// The last left sample of the next `frames` stereo frames; a gain change glides, so it is read late.
int heardAfter(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    renderLoopbackSamples(out.data(), frames);
    return out[out.size() - 2];
}

struct LayerTest : ::testing::Test {
    TemporarySoundFolder folder;
    SoundSample longSample, shortSample;   // 2 s and 10 ms of a constant 0.5
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_TRUE(writeWavFile("long.wav", std::vector<float>(rate * 4, 0.5f), 2, rate));
        ASSERT_TRUE(writeWavFile("short.wav", std::vector<float>(441 * 2, 0.5f), 2, rate));
        ASSERT_TRUE(openLoopbackSound(rate));
    }
    void initLayer() {
        ASSERT_TRUE(initSoundLayer(rate, 4));
        longSample = loadSoundSample("long.wav");
        shortSample = loadSoundSample("short.wav");
        ASSERT_FALSE(longSample.empty() || shortSample.empty());
    }
    void TearDown() override {
        closeSoundLayer();
        closeLoopbackSound();
    }
};
}  // namespace

TEST_F(LayerTest, NeverUsedChannelsFirstThenTheOldestFinishedThenTheOldestPlaying) {
    initLayer();
    EXPECT_EQ(playSoundSample(longSample), 0);
    EXPECT_EQ(playSoundSample(shortSample), 1);
    EXPECT_EQ(playSoundSample(longSample), 2);
    EXPECT_EQ(playSoundSample(shortSample), 3);
    heardAfter(2048);   // both short sounds end
    EXPECT_EQ(playSoundSample(longSample), 1);
    EXPECT_EQ(playSoundSample(longSample), 3);
    // Every channel busy: channel 0 (started first) is cut off and takes the new sound.
    EXPECT_EQ(playSoundSample(shortSample), 0);
    heardAfter(2048);
    EXPECT_EQ(playSoundSample(shortSample), 0) << "the short sound on 0 ended, so 0 is free again";
}

TEST_F(LayerTest, ChannelAndMasterVolumesScaleWhatIsHeardAndAreClamped) {
    initLayer();
    const int channel = playSoundSample(longSample);
    ASSERT_EQ(channel, 0);
    struct Case {
        int volume, master;
        double gain;
    };
    const Case cases[] = {{255, 255, 1.0}, {180, 200, 180.0 / 255 * 200 / 255}, {100, 255, 100.0 / 255},
                          {255, 51, 0.2},  {0, 255, 0.0},    {300, 400, 1.0},  {-20, 255, 0.0}, {128, -5, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "volume " << c.volume << ", master " << c.master);
        setChannelVolume(channel, c.volume);
        setEffectMasterVolume(c.master);
        EXPECT_NEAR(heardAfter(8192), fullScale * c.gain, 2.0);
    }
}

TEST_F(LayerTest, EmptyHandlesUnknownChannelsAndClosedLayersDoNothing) {
    // Before initialisation and after closing, every call is accepted and nothing is mixed.
    const auto outsideTheLayer = [](SoundSample sample) {
        EXPECT_TRUE(loadSoundSample("long.wav").empty());
        EXPECT_EQ(playSoundSample(sample), noChannel);
        setChannelVolume(0, 100);
        setEffectMasterVolume(100);
        setSoundReverb(mountainsReverb);
        freeSoundSample(sample);
        closeSoundLayer();
        EXPECT_EQ(heardAfter(256), 0);
    };
    outsideTheLayer({1});

    initLayer();
    EXPECT_TRUE(loadSoundSample("missing.wav").empty());
    EXPECT_TRUE(loadSoundSample(nullptr).empty());
    EXPECT_EQ(playSoundSample({}), noChannel);
    EXPECT_EQ(playSoundSample({longSample.id + 100}), noChannel);
    for (int channel : {noChannel, 4, 1 << 30}) setChannelVolume(channel, 255);
    freeSoundSample({});
    EXPECT_LE(std::abs(heardAfter(256)), 2) << "nothing plays";

    // A sample freed while it plays is stopped, and its handle is dead from then on.
    ASSERT_EQ(playSoundSample(longSample), 0);
    EXPECT_NEAR(heardAfter(256), fullScale, 2.0);
    freeSoundSample(longSample);
    freeSoundSample(longSample);
    EXPECT_EQ(playSoundSample(longSample), noChannel);
    EXPECT_LE(std::abs(heardAfter(256)), 2);
    EXPECT_EQ(playSoundSample(shortSample), 1) << "other samples still play, on a never-used channel first";
    closeSoundLayer();
    outsideTheLayer(shortSample);
}

TEST(LoopbackDevice, RefusesBadRatesAndRendersSilenceWhenClosed) {
    EXPECT_FALSE(openLoopbackSound(0));
    EXPECT_FALSE(openLoopbackSound(-44100));
    EXPECT_FALSE(loopbackSoundOpen());
    std::vector<int16_t> out(64, 123);
    renderLoopbackSamples(out.data(), 32);
    EXPECT_EQ(out, std::vector<int16_t>(64, 0));
    renderLoopbackSamples(nullptr, 32);
    renderLoopbackSamples(out.data(), -1);
    ASSERT_TRUE(openLoopbackSound(48000));
    EXPECT_EQ(loopbackSampleRate(), 48000);
    closeLoopbackSound();
    closeLoopbackSound();
    EXPECT_EQ(loopbackSampleRate(), 0);
}
