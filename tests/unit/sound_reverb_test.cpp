// The reverb record converted to EAX reverb settings, against OpenAL Soft's own mountains preset, and
// what the effect object on the loopback device ends up holding.
#include <gtest/gtest.h>

#include <AL/efx-presets.h>

#include <cmath>
#include <cstddef>
#include <cstring>

#include "sound/loopback_sound.h"
#include "sound/openal_backend.h"
#include "sound/openal_reverb.h"
#include "sound/reverb.h"
#include "sound/sound_layer.h"

namespace {
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
}  // namespace

TEST(Reverb, MountainsConvertsToOpenAlsMountainsPreset) {
    expectMountainsPreset(convertReverb(mountainsReverb));
    ReverbProperties limited = mountainsReverb;
    limited.flags |= reverbFlagDecayHighFrequencyLimit;
    EXPECT_TRUE(convertReverb(limited).decayHighFrequencyLimit);
}

TEST(Reverb, TheEffectOnTheDeviceHoldsThePresetAndOutOfRangeValuesAreClamped) {
    ASSERT_TRUE(openLoopbackSound(44100));
    ASSERT_TRUE(initSoundLayer(44100, 32));
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
