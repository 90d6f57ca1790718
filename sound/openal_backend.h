// What the OpenAL backend can tell about itself, for checks of what the device was given.
#pragma once
#include "sound/reverb.h"

// The EAX reverb settings the effect object holds; false when no reverb is set (no EFX, or closed).
bool readOpenAlReverb(EaxReverbSettings& out);

int openAlChannelCount();   // channels made by the last initialisation, 0 when closed
