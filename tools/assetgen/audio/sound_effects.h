// The three effects of the demo: the opening whoosh of the space scene, the puff of a new particle
// emitter and the impact that starts the motion blur.
#pragma once
#include "audio/dsp.h"

StereoBuffer renderSpaceOpening();   // "1.wav": a rising whoosh with a shimmer, 3 s
StereoBuffer renderPuff();           // "puff.wav": a soft breath of air, 1.2 s
StereoBuffer renderRock();           // "rock.wav": a heavy boom with debris and rumble, 3.5 s
