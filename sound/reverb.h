// The reverb environment record the demo hands to the sound layer, and its conversion to EAX reverb settings.
#pragma once
#include <cstdint>

// The classic 30-field environment record (120 bytes): levels in millibels, times in seconds,
// diffusion and density in percent.
struct ReverbProperties {
    int32_t environment;            // preset number, informational
    float environmentSize;          // metres
    float environmentDiffusion;     // 0..1
    int32_t room;                   // mB, overall reverb level
    int32_t roomHighFrequency;      // mB, level at the high-frequency reference
    int32_t roomLowFrequency;       // mB, level at the low-frequency reference
    float decayTime;                // s
    float decayHighFrequencyRatio;  // high-frequency decay time / decay time
    float decayLowFrequencyRatio;   // low-frequency decay time / decay time
    int32_t reflections;            // mB, early reflections relative to room
    float reflectionsDelay;         // s
    float reflectionsPan[3];        // direction vector
    int32_t reverb;                 // mB, late reverb relative to room
    float reverbDelay;              // s, late reverb relative to the first reflection
    float reverbPan[3];             // direction vector
    float echoTime;                 // s
    float echoDepth;                // 0..1
    float modulationTime;           // s
    float modulationDepth;          // 0..1
    float airAbsorptionHighFrequency;  // mB per metre
    float highFrequencyReference;   // Hz
    float lowFrequencyReference;    // Hz
    float roomRolloffFactor;
    float diffusion;                // percent
    float density;                  // percent
    uint32_t flags;                 // reverbFlag* bits
};
static_assert(sizeof(ReverbProperties) == 120, "the record is 30 fields of 4 bytes");

// Of the flags, only the high-frequency decay limit has a counterpart in the EAX reverb effect.
constexpr uint32_t reverbFlagDecayHighFrequencyLimit = 0x20;

// The record the demo uses: environment 17, mountains.
extern const ReverbProperties mountainsReverb;

// The EAX reverb effect's parameters, in the order of OpenAL's EFX reverb presets: gains are linear.
struct EaxReverbSettings {
    float density;              // 0..1
    float diffusion;            // 0..1
    float gain;
    float gainHighFrequency;
    float gainLowFrequency;
    float decayTime;            // s
    float decayHighFrequencyRatio;
    float decayLowFrequencyRatio;
    float reflectionsGain;
    float reflectionsDelay;     // s
    float reflectionsPan[3];
    float lateReverbGain;
    float lateReverbDelay;      // s
    float lateReverbPan[3];
    float echoTime;             // s
    float echoDepth;
    float modulationTime;       // s
    float modulationDepth;
    float airAbsorptionGainHighFrequency;
    float highFrequencyReference;  // Hz
    float lowFrequencyReference;   // Hz
    float roomRolloffFactor;
    bool decayHighFrequencyLimit;
};

float millibelsToGain(float millibels);  // 10^(mB / 2000)
EaxReverbSettings convertReverb(const ReverbProperties& reverb);
