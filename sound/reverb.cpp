// The mountains environment and the record-to-EAX conversion: millibels become gains, percentages fractions.
#include "sound/reverb.h"

#include <cmath>

const ReverbProperties mountainsReverb = {
    17, 100.0f, 0.27f,
    -1000, -2500, 0,
    1.49f, 0.21f, 1.0f,
    -2780, 0.3f, {0.0f, 0.0f, 0.0f},
    -1434, 0.1f, {0.0f, 0.0f, 0.0f},
    0.25f, 1.0f, 0.25f, 0.0f,
    -5.0f, 5000.0f, 250.0f, 0.0f,
    27.0f, 100.0f,
    0x1F,
};

float millibelsToGain(float millibels) { return std::pow(10.0f, millibels / 2000.0f); }

EaxReverbSettings convertReverb(const ReverbProperties& r) {
    EaxReverbSettings s{};
    s.density = r.density / 100.0f;
    s.diffusion = r.diffusion / 100.0f;
    s.gain = millibelsToGain(static_cast<float>(r.room));
    s.gainHighFrequency = millibelsToGain(static_cast<float>(r.roomHighFrequency));
    s.gainLowFrequency = millibelsToGain(static_cast<float>(r.roomLowFrequency));
    s.decayTime = r.decayTime;
    s.decayHighFrequencyRatio = r.decayHighFrequencyRatio;
    s.decayLowFrequencyRatio = r.decayLowFrequencyRatio;
    s.reflectionsGain = millibelsToGain(static_cast<float>(r.reflections));
    s.reflectionsDelay = r.reflectionsDelay;
    s.lateReverbGain = millibelsToGain(static_cast<float>(r.reverb));
    s.lateReverbDelay = r.reverbDelay;
    for (int i = 0; i < 3; ++i) {
        s.reflectionsPan[i] = r.reflectionsPan[i];
        s.lateReverbPan[i] = r.reverbPan[i];
    }
    s.echoTime = r.echoTime;
    s.echoDepth = r.echoDepth;
    s.modulationTime = r.modulationTime;
    s.modulationDepth = r.modulationDepth;
    s.airAbsorptionGainHighFrequency = millibelsToGain(r.airAbsorptionHighFrequency);
    s.highFrequencyReference = r.highFrequencyReference;
    s.lowFrequencyReference = r.lowFrequencyReference;
    s.roomRolloffFactor = r.roomRolloffFactor;
    s.decayHighFrequencyLimit = (r.flags & reverbFlagDecayHighFrequencyLimit) != 0;
    return s;
}
