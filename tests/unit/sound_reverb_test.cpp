// The reverb record: its layout, its conversion to EAX reverb settings against OpenAL Soft's own
// mountains preset, and what the effect object on the loopback device ends up holding.
#include <gtest/gtest.h>

#include <AL/efx-presets.h>

#include <cmath>
#include <cstddef>

#include "sound/loopback_sound.h"
#include "sound/openal_backend.h"
#include "sound/openal_reverb.h"
#include "sound/reverb.h"
#include "sound/sound_layer.h"

namespace {
// The published presets carry four decimals.
constexpr float presetTolerance = 1e-4f;

void expectMatchesPreset(const EaxReverbSettings& s, const EFXEAXREVERBPROPERTIES& p) {
    EXPECT_NEAR(s.density, p.flDensity, presetTolerance);
    EXPECT_NEAR(s.diffusion, p.flDiffusion, presetTolerance);
    EXPECT_NEAR(s.gain, p.flGain, presetTolerance);
    EXPECT_NEAR(s.gainHighFrequency, p.flGainHF, presetTolerance);
    EXPECT_NEAR(s.gainLowFrequency, p.flGainLF, presetTolerance);
    EXPECT_NEAR(s.decayTime, p.flDecayTime, presetTolerance);
    EXPECT_NEAR(s.decayHighFrequencyRatio, p.flDecayHFRatio, presetTolerance);
    EXPECT_NEAR(s.decayLowFrequencyRatio, p.flDecayLFRatio, presetTolerance);
    EXPECT_NEAR(s.reflectionsGain, p.flReflectionsGain, presetTolerance);
    EXPECT_NEAR(s.reflectionsDelay, p.flReflectionsDelay, presetTolerance);
    EXPECT_NEAR(s.lateReverbGain, p.flLateReverbGain, presetTolerance);
    EXPECT_NEAR(s.lateReverbDelay, p.flLateReverbDelay, presetTolerance);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(s.reflectionsPan[i], p.flReflectionsPan[i], presetTolerance);
        EXPECT_NEAR(s.lateReverbPan[i], p.flLateReverbPan[i], presetTolerance);
    }
    EXPECT_NEAR(s.echoTime, p.flEchoTime, presetTolerance);
    EXPECT_NEAR(s.echoDepth, p.flEchoDepth, presetTolerance);
    EXPECT_NEAR(s.modulationTime, p.flModulationTime, presetTolerance);
    EXPECT_NEAR(s.modulationDepth, p.flModulationDepth, presetTolerance);
    EXPECT_NEAR(s.airAbsorptionGainHighFrequency, p.flAirAbsorptionGainHF, presetTolerance);
    EXPECT_NEAR(s.highFrequencyReference, p.flHFReference, presetTolerance);
    EXPECT_NEAR(s.lowFrequencyReference, p.flLFReference, presetTolerance);
    EXPECT_NEAR(s.roomRolloffFactor, p.flRoomRolloffFactor, presetTolerance);
    EXPECT_EQ(s.decayHighFrequencyLimit, p.iDecayHFLimit != 0);
}
}  // namespace

TEST(Reverb, RecordLayoutIsThirtyFourByteFields) {
    EXPECT_EQ(offsetof(ReverbProperties, room), 12u);
    EXPECT_EQ(offsetof(ReverbProperties, reflectionsPan), 44u);
    EXPECT_EQ(offsetof(ReverbProperties, reverb), 56u);
    EXPECT_EQ(offsetof(ReverbProperties, echoTime), 76u);
    EXPECT_EQ(offsetof(ReverbProperties, diffusion), 108u);
    EXPECT_EQ(offsetof(ReverbProperties, flags), 116u);
    EXPECT_EQ(mountainsReverb.environment, 17);
    EXPECT_EQ(mountainsReverb.flags, 0x1Fu);
}

TEST(Reverb, MountainsConvertsToOpenAlsMountainsPreset) {
    const EFXEAXREVERBPROPERTIES preset = EFX_REVERB_PRESET_MOUNTAINS;
    expectMatchesPreset(convertReverb(mountainsReverb), preset);

    EXPECT_FLOAT_EQ(millibelsToGain(0), 1.0f);
    EXPECT_NEAR(millibelsToGain(-2000), 0.1f, 1e-6f);
    EXPECT_NEAR(millibelsToGain(-6000), 0.001f, 1e-7f);
    EXPECT_NEAR(millibelsToGain(1000), 3.1623f, 1e-4f);

    ReverbProperties limited = mountainsReverb;
    limited.flags |= reverbFlagDecayHighFrequencyLimit;
    limited.density = 50.0f;
    limited.diffusion = 80.0f;
    const EaxReverbSettings s = convertReverb(limited);
    EXPECT_TRUE(s.decayHighFrequencyLimit);
    EXPECT_FLOAT_EQ(s.density, 0.5f);
    EXPECT_FLOAT_EQ(s.diffusion, 0.8f);
}

TEST(Reverb, TheEffectOnTheDeviceHoldsThePresetAndOutOfRangeValuesAreClamped) {
    ASSERT_TRUE(openLoopbackSound(44100));
    ASSERT_TRUE(initSoundLayer(44100, 32));
    EaxReverbSettings held{};
    EXPECT_FALSE(readOpenAlReverb(held)) << "no reverb before it is set";
    setSoundReverb(mountainsReverb);
    ASSERT_TRUE(readOpenAlReverb(held));
    const EFXEAXREVERBPROPERTIES preset = EFX_REVERB_PRESET_MOUNTAINS;
    expectMatchesPreset(held, preset);

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
    EXPECT_NEAR(held.lateReverbPan[0], 0.6f, 1e-5f);
    EXPECT_NEAR(held.lateReverbPan[1], 0.8f, 1e-5f);

    closeSoundLayer();
    EXPECT_FALSE(readOpenAlReverb(held));
    closeLoopbackSound();
}

TEST(Reverb, WithoutEfxNothingIsMadeAndNothingIsRead) {
    OpenAlReverb none;
    none.available = true;
    findEfx(nullptr, none);
    EXPECT_FALSE(none.available);
    EXPECT_EQ(applyReverb(none, convertReverb(mountainsReverb)), 0u);
    EXPECT_EQ(none.effect, 0u);
    EaxReverbSettings held{};
    EXPECT_FALSE(readReverb(none, held));
    releaseReverb(none);
    EXPECT_EQ(none.slot, 0u);
}
