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

void setFloat(const OpenAlReverb& r, ALenum param, float v, float lo, float hi) {
    r.effectf(r.effect, param, clampToRange(v, lo, hi));
}

void loadSettings(const OpenAlReverb& r, const EaxReverbSettings& s) {
    setFloat(r, AL_EAXREVERB_DENSITY, s.density, AL_EAXREVERB_MIN_DENSITY, AL_EAXREVERB_MAX_DENSITY);
    setFloat(r, AL_EAXREVERB_DIFFUSION, s.diffusion, AL_EAXREVERB_MIN_DIFFUSION, AL_EAXREVERB_MAX_DIFFUSION);
    setFloat(r, AL_EAXREVERB_GAIN, s.gain, AL_EAXREVERB_MIN_GAIN, AL_EAXREVERB_MAX_GAIN);
    setFloat(r, AL_EAXREVERB_GAINHF, s.gainHighFrequency, AL_EAXREVERB_MIN_GAINHF, AL_EAXREVERB_MAX_GAINHF);
    setFloat(r, AL_EAXREVERB_GAINLF, s.gainLowFrequency, AL_EAXREVERB_MIN_GAINLF, AL_EAXREVERB_MAX_GAINLF);
    setFloat(r, AL_EAXREVERB_DECAY_TIME, s.decayTime, AL_EAXREVERB_MIN_DECAY_TIME, AL_EAXREVERB_MAX_DECAY_TIME);
    setFloat(r, AL_EAXREVERB_DECAY_HFRATIO, s.decayHighFrequencyRatio, AL_EAXREVERB_MIN_DECAY_HFRATIO,
             AL_EAXREVERB_MAX_DECAY_HFRATIO);
    setFloat(r, AL_EAXREVERB_DECAY_LFRATIO, s.decayLowFrequencyRatio, AL_EAXREVERB_MIN_DECAY_LFRATIO,
             AL_EAXREVERB_MAX_DECAY_LFRATIO);
    setFloat(r, AL_EAXREVERB_REFLECTIONS_GAIN, s.reflectionsGain, AL_EAXREVERB_MIN_REFLECTIONS_GAIN,
             AL_EAXREVERB_MAX_REFLECTIONS_GAIN);
    setFloat(r, AL_EAXREVERB_REFLECTIONS_DELAY, s.reflectionsDelay, AL_EAXREVERB_MIN_REFLECTIONS_DELAY,
             AL_EAXREVERB_MAX_REFLECTIONS_DELAY);
    setFloat(r, AL_EAXREVERB_LATE_REVERB_GAIN, s.lateReverbGain, AL_EAXREVERB_MIN_LATE_REVERB_GAIN,
             AL_EAXREVERB_MAX_LATE_REVERB_GAIN);
    setFloat(r, AL_EAXREVERB_LATE_REVERB_DELAY, s.lateReverbDelay, AL_EAXREVERB_MIN_LATE_REVERB_DELAY,
             AL_EAXREVERB_MAX_LATE_REVERB_DELAY);
    float pan[3];
    clampPan(s.reflectionsPan, pan);
    r.effectfv(r.effect, AL_EAXREVERB_REFLECTIONS_PAN, pan);
    clampPan(s.lateReverbPan, pan);
    r.effectfv(r.effect, AL_EAXREVERB_LATE_REVERB_PAN, pan);
    setFloat(r, AL_EAXREVERB_ECHO_TIME, s.echoTime, AL_EAXREVERB_MIN_ECHO_TIME, AL_EAXREVERB_MAX_ECHO_TIME);
    setFloat(r, AL_EAXREVERB_ECHO_DEPTH, s.echoDepth, AL_EAXREVERB_MIN_ECHO_DEPTH, AL_EAXREVERB_MAX_ECHO_DEPTH);
    setFloat(r, AL_EAXREVERB_MODULATION_TIME, s.modulationTime, AL_EAXREVERB_MIN_MODULATION_TIME,
             AL_EAXREVERB_MAX_MODULATION_TIME);
    setFloat(r, AL_EAXREVERB_MODULATION_DEPTH, s.modulationDepth, AL_EAXREVERB_MIN_MODULATION_DEPTH,
             AL_EAXREVERB_MAX_MODULATION_DEPTH);
    setFloat(r, AL_EAXREVERB_AIR_ABSORPTION_GAINHF, s.airAbsorptionGainHighFrequency,
             AL_EAXREVERB_MIN_AIR_ABSORPTION_GAINHF, AL_EAXREVERB_MAX_AIR_ABSORPTION_GAINHF);
    setFloat(r, AL_EAXREVERB_HFREFERENCE, s.highFrequencyReference, AL_EAXREVERB_MIN_HFREFERENCE,
             AL_EAXREVERB_MAX_HFREFERENCE);
    setFloat(r, AL_EAXREVERB_LFREFERENCE, s.lowFrequencyReference, AL_EAXREVERB_MIN_LFREFERENCE,
             AL_EAXREVERB_MAX_LFREFERENCE);
    setFloat(r, AL_EAXREVERB_ROOM_ROLLOFF_FACTOR, s.roomRolloffFactor, AL_EAXREVERB_MIN_ROOM_ROLLOFF_FACTOR,
             AL_EAXREVERB_MAX_ROOM_ROLLOFF_FACTOR);
    r.effecti(r.effect, AL_EAXREVERB_DECAY_HFLIMIT, s.decayHighFrequencyLimit ? AL_TRUE : AL_FALSE);
}

float readFloat(const OpenAlReverb& r, ALenum param) {
    ALfloat v = 0.0f;
    r.getEffectf(r.effect, param, &v);
    return v;
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
    s.density = readFloat(r, AL_EAXREVERB_DENSITY);
    s.diffusion = readFloat(r, AL_EAXREVERB_DIFFUSION);
    s.gain = readFloat(r, AL_EAXREVERB_GAIN);
    s.gainHighFrequency = readFloat(r, AL_EAXREVERB_GAINHF);
    s.gainLowFrequency = readFloat(r, AL_EAXREVERB_GAINLF);
    s.decayTime = readFloat(r, AL_EAXREVERB_DECAY_TIME);
    s.decayHighFrequencyRatio = readFloat(r, AL_EAXREVERB_DECAY_HFRATIO);
    s.decayLowFrequencyRatio = readFloat(r, AL_EAXREVERB_DECAY_LFRATIO);
    s.reflectionsGain = readFloat(r, AL_EAXREVERB_REFLECTIONS_GAIN);
    s.reflectionsDelay = readFloat(r, AL_EAXREVERB_REFLECTIONS_DELAY);
    r.getEffectfv(r.effect, AL_EAXREVERB_REFLECTIONS_PAN, s.reflectionsPan);
    s.lateReverbGain = readFloat(r, AL_EAXREVERB_LATE_REVERB_GAIN);
    s.lateReverbDelay = readFloat(r, AL_EAXREVERB_LATE_REVERB_DELAY);
    r.getEffectfv(r.effect, AL_EAXREVERB_LATE_REVERB_PAN, s.lateReverbPan);
    s.echoTime = readFloat(r, AL_EAXREVERB_ECHO_TIME);
    s.echoDepth = readFloat(r, AL_EAXREVERB_ECHO_DEPTH);
    s.modulationTime = readFloat(r, AL_EAXREVERB_MODULATION_TIME);
    s.modulationDepth = readFloat(r, AL_EAXREVERB_MODULATION_DEPTH);
    s.airAbsorptionGainHighFrequency = readFloat(r, AL_EAXREVERB_AIR_ABSORPTION_GAINHF);
    s.highFrequencyReference = readFloat(r, AL_EAXREVERB_HFREFERENCE);
    s.lowFrequencyReference = readFloat(r, AL_EAXREVERB_LFREFERENCE);
    s.roomRolloffFactor = readFloat(r, AL_EAXREVERB_ROOM_ROLLOFF_FACTOR);
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
