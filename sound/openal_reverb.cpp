// EFX reverb: the entry points come from alGetProcAddress; values outside the effect's range are clamped
// first, since OpenAL refuses them with an error and keeps the old value.
#include "sound/openal_reverb.h"

#include <cmath>

namespace {
template <typename T>
void lookUp(T& fn, const char* name) {
    fn = reinterpret_cast<T>(alGetProcAddress(name));
}

float clampToRange(float v, float lo, float hi) {
    if (!(v >= lo)) return lo;   // NaN too
    return v > hi ? hi : v;
}

// Pan vectors longer than 1 are refused by the effect; keep their direction.
void clampPan(const float in[3], float out[3]) {
    float length = std::sqrt(in[0] * in[0] + in[1] * in[1] + in[2] * in[2]);
    if (!std::isfinite(length)) {
        out[0] = out[1] = out[2] = 0.0f;
        return;
    }
    const float scale = length > 1.0f ? 1.0f / length : 1.0f;
    for (int i = 0; i < 3; ++i) out[i] = in[i] * scale;
}

bool makeEffect(OpenAlReverb& r) {
    alGetError();
    r.genEffects(1, &r.effect);
    if (alGetError() != AL_NO_ERROR) {
        r.effect = 0;
        return false;
    }
    r.effecti(r.effect, AL_EFFECT_TYPE, AL_EFFECT_EAXREVERB);
    if (alGetError() == AL_NO_ERROR) {
        r.genSlots(1, &r.slot);
        if (alGetError() == AL_NO_ERROR) return true;
        r.slot = 0;
    }
    r.deleteEffects(1, &r.effect);
    r.effect = 0;
    return false;
}

// The effect's float parameters, each with the field it comes from and the range the effect accepts.
struct FloatParameter {
    ALenum param;
    float EaxReverbSettings::*field;
    float lo, hi;
};
#define HALVEX_REVERB_FLOAT(NAME, field) \
    { AL_EAXREVERB_##NAME, &EaxReverbSettings::field, AL_EAXREVERB_MIN_##NAME, AL_EAXREVERB_MAX_##NAME }
const FloatParameter floatParameters[] = {
    HALVEX_REVERB_FLOAT(DENSITY, density),
    HALVEX_REVERB_FLOAT(DIFFUSION, diffusion),
    HALVEX_REVERB_FLOAT(GAIN, gain),
    HALVEX_REVERB_FLOAT(GAINHF, gainHighFrequency),
    HALVEX_REVERB_FLOAT(GAINLF, gainLowFrequency),
    HALVEX_REVERB_FLOAT(DECAY_TIME, decayTime),
    HALVEX_REVERB_FLOAT(DECAY_HFRATIO, decayHighFrequencyRatio),
    HALVEX_REVERB_FLOAT(DECAY_LFRATIO, decayLowFrequencyRatio),
    HALVEX_REVERB_FLOAT(REFLECTIONS_GAIN, reflectionsGain),
    HALVEX_REVERB_FLOAT(REFLECTIONS_DELAY, reflectionsDelay),
    HALVEX_REVERB_FLOAT(LATE_REVERB_GAIN, lateReverbGain),
    HALVEX_REVERB_FLOAT(LATE_REVERB_DELAY, lateReverbDelay),
    HALVEX_REVERB_FLOAT(ECHO_TIME, echoTime),
    HALVEX_REVERB_FLOAT(ECHO_DEPTH, echoDepth),
    HALVEX_REVERB_FLOAT(MODULATION_TIME, modulationTime),
    HALVEX_REVERB_FLOAT(MODULATION_DEPTH, modulationDepth),
    HALVEX_REVERB_FLOAT(AIR_ABSORPTION_GAINHF, airAbsorptionGainHighFrequency),
    HALVEX_REVERB_FLOAT(HFREFERENCE, highFrequencyReference),
    HALVEX_REVERB_FLOAT(LFREFERENCE, lowFrequencyReference),
    HALVEX_REVERB_FLOAT(ROOM_ROLLOFF_FACTOR, roomRolloffFactor),
};
#undef HALVEX_REVERB_FLOAT

void loadSettings(const OpenAlReverb& r, const EaxReverbSettings& s) {
    for (const FloatParameter& p : floatParameters) r.effectf(r.effect, p.param, clampToRange(s.*p.field, p.lo, p.hi));
    float pan[3];
    clampPan(s.reflectionsPan, pan);
    r.effectfv(r.effect, AL_EAXREVERB_REFLECTIONS_PAN, pan);
    clampPan(s.lateReverbPan, pan);
    r.effectfv(r.effect, AL_EAXREVERB_LATE_REVERB_PAN, pan);
    r.effecti(r.effect, AL_EAXREVERB_DECAY_HFLIMIT, s.decayHighFrequencyLimit ? AL_TRUE : AL_FALSE);
}
}  // namespace

void findEfx(ALCdevice* device, OpenAlReverb& r) {
    r = OpenAlReverb{};
    if (!device || !alcIsExtensionPresent(device, "ALC_EXT_EFX")) return;
    lookUp(r.genEffects, "alGenEffects");
    lookUp(r.deleteEffects, "alDeleteEffects");
    lookUp(r.effecti, "alEffecti");
    lookUp(r.effectf, "alEffectf");
    lookUp(r.effectfv, "alEffectfv");
    lookUp(r.getEffecti, "alGetEffecti");
    lookUp(r.getEffectf, "alGetEffectf");
    lookUp(r.getEffectfv, "alGetEffectfv");
    lookUp(r.genSlots, "alGenAuxiliaryEffectSlots");
    lookUp(r.deleteSlots, "alDeleteAuxiliaryEffectSlots");
    lookUp(r.slotI, "alAuxiliaryEffectSloti");
    r.available = r.genEffects && r.deleteEffects && r.effecti && r.effectf && r.effectfv && r.getEffecti &&
                  r.getEffectf && r.getEffectfv && r.genSlots && r.deleteSlots && r.slotI;
}

ALuint applyReverb(OpenAlReverb& r, const EaxReverbSettings& settings) {
    if (!r.available) return 0;
    if (!r.effect && !makeEffect(r)) return 0;
    loadSettings(r, settings);
    // The slot takes a copy of the effect's values when the effect is attached, so attach after loading.
    r.slotI(r.slot, AL_EFFECTSLOT_EFFECT, static_cast<ALint>(r.effect));
    alGetError();
    return r.slot;
}

bool readReverb(const OpenAlReverb& r, EaxReverbSettings& s) {
    if (!r.available || !r.effect) return false;
    for (const FloatParameter& p : floatParameters) {
        ALfloat v = 0.0f;
        r.getEffectf(r.effect, p.param, &v);
        s.*p.field = v;
    }
    r.getEffectfv(r.effect, AL_EAXREVERB_REFLECTIONS_PAN, s.reflectionsPan);
    r.getEffectfv(r.effect, AL_EAXREVERB_LATE_REVERB_PAN, s.lateReverbPan);
    ALint limit = AL_FALSE;
    r.getEffecti(r.effect, AL_EAXREVERB_DECAY_HFLIMIT, &limit);
    s.decayHighFrequencyLimit = limit != AL_FALSE;
    return true;
}

void releaseReverb(OpenAlReverb& r) {
    if (r.slot) r.deleteSlots(1, &r.slot);
    if (r.effect) r.deleteEffects(1, &r.effect);
    r.slot = 0;
    r.effect = 0;
    alGetError();
}
