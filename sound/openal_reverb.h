// The EAX reverb effect in an auxiliary effect slot, over OpenAL's EFX extension.
#pragma once
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/efx.h>

#include "sound/reverb.h"

struct OpenAlReverb {
    bool available = false;    // the device has EFX and every entry point was found
    LPALGENEFFECTS genEffects = nullptr;
    LPALDELETEEFFECTS deleteEffects = nullptr;
    LPALEFFECTI effecti = nullptr;
    LPALEFFECTF effectf = nullptr;
    LPALEFFECTFV effectfv = nullptr;
    LPALGETEFFECTI getEffecti = nullptr;
    LPALGETEFFECTF getEffectf = nullptr;
    LPALGETEFFECTFV getEffectfv = nullptr;
    LPALGENAUXILIARYEFFECTSLOTS genSlots = nullptr;
    LPALDELETEAUXILIARYEFFECTSLOTS deleteSlots = nullptr;
    LPALAUXILIARYEFFECTSLOTI slotI = nullptr;
    ALuint effect = 0;         // the EAX reverb effect object, 0 until the first reverb is set
    ALuint slot = 0;           // the auxiliary slot the channels send to, 0 until then
};

// Looks up the EFX entry points of the device; available stays false when it has no EFX.
void findEfx(ALCdevice* device, OpenAlReverb& reverb);

// Makes the effect and slot on first use and loads the settings into them, each clamped to the effect's
// range. Returns the slot, or 0 when there is no EFX or the device refuses the EAX reverb effect.
ALuint applyReverb(OpenAlReverb& reverb, const EaxReverbSettings& settings);

// What the effect object holds now; false when no reverb has been applied.
bool readReverb(const OpenAlReverb& reverb, EaxReverbSettings& out);

// Deletes slot and effect. The sources must no longer send to the slot.
void releaseReverb(OpenAlReverb& reverb);
