// The OpenAL layer heard through the loopback device: which channel a request takes, volumes, calls with
// empty handles, unknown channels or outside an initialised layer, and the reverb against OpenAL Soft's
// own mountains preset.
#include <gtest/gtest.h>

#include <AL/efx-presets.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "sound/loopback_sound.h"
#include "sound/openal_backend.h"
#include "sound/openal_reverb.h"
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

// The settings keep the preset's field order: 26 floats, then the high-frequency decay limit.
static_assert(offsetof(EaxReverbSettings, decayHighFrequencyLimit) == 26 * sizeof(float));
static_assert(offsetof(EFXEAXREVERBPROPERTIES, iDecayHFLimit) == 26 * sizeof(float));

void expectMountainsPreset(const EaxReverbSettings& s) {
    const EFXEAXREVERBPROPERTIES preset = EFX_REVERB_PRESET_MOUNTAINS;
    float held[26], wanted[26];
    std::memcpy(held, &s, sizeof held);
    std::memcpy(wanted, &preset, sizeof wanted);
    for (int i = 0; i < 26; ++i) EXPECT_NEAR(held[i], wanted[i], 1e-4f) << "field " << i;   // four decimals
    EXPECT_EQ(s.decayHighFrequencyLimit, preset.iDecayHFLimit != 0);
}

struct LayerTest : ::testing::Test {
    TemporarySoundFolder folder;
    SoundSample longSample, shortSample;   // 2 s and 10 ms of a constant 0.5
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_TRUE(writeSoundFile("long.wav", std::vector<float>(rate * 4, 0.5f), 2, rate));
        ASSERT_TRUE(writeSoundFile("short.wav", std::vector<float>(441 * 2, 0.5f), 2, rate));
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
    closeLoopbackSound();
}

TEST_F(LayerTest, TheReverbOnTheDeviceHoldsThePresetAndOutOfRangeValuesAreClamped) {
    initLayer();
    EaxReverbSettings held{};
    EXPECT_FALSE(readOpenAlReverb(held)) << "no reverb before it is set";
    setSoundReverb(mountainsReverb);
    ASSERT_TRUE(readOpenAlReverb(held));
    expectMountainsPreset(held);

    // A hostile record neither breaks the effect nor leaves an old value behind: each field is clamped.
    ReverbProperties wild = mountainsReverb;
    wild.decayTime = 1000.0f;
    wild.room = 5000;
    wild.reflectionsDelay = NAN;
    wild.density = -10.0f;
    wild.reverbPan[0] = 3.0f;
    wild.reverbPan[1] = 4.0f;
    setSoundReverb(wild);
    ASSERT_TRUE(readOpenAlReverb(held));
    EXPECT_FLOAT_EQ(held.decayTime, 20.0f);
    EXPECT_FLOAT_EQ(held.gain, 1.0f);
    EXPECT_FLOAT_EQ(held.reflectionsDelay, 0.0f);
    EXPECT_FLOAT_EQ(held.density, 0.0f);
    EXPECT_NEAR(held.lateReverbPan[0], 0.6f, 1e-5f);   // a longer pan vector is shortened to length 1
    EXPECT_NEAR(held.lateReverbPan[1], 0.8f, 1e-5f);

    closeSoundLayer();
    EXPECT_FALSE(readOpenAlReverb(held));
}

TEST(Reverb, TheDecayLimitFlagConvertsAndWithoutEfxNothingIsMadeOrRead) {
    ReverbProperties limited = mountainsReverb;
    limited.flags |= reverbFlagDecayHighFrequencyLimit;
    EXPECT_TRUE(convertReverb(limited).decayHighFrequencyLimit);

    OpenAlReverb none;
    none.available = true;
    findEfx(nullptr, none);
    EXPECT_FALSE(none.available);
    EXPECT_EQ(applyReverb(none, convertReverb(limited)), 0u);
    EXPECT_EQ(none.effect, 0u);
    EaxReverbSettings held{};
    EXPECT_FALSE(readReverb(none, held));
    releaseReverb(none);
    EXPECT_EQ(none.slot, 0u);
}
