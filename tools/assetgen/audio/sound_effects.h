// The three effects of the demo: the opening whoosh of the space scene, the puff of a new particle
// emitter and the impact that starts the motion blur.
#pragma once
#include "audio/dsp.h"

StereoBuffer renderSpaceOpening();   // "1.wav": a rising whoosh with a shimmer, 3 s
StereoBuffer renderPuff();           // "puff.wav": a short breath of air, 0.9 s
StereoBuffer renderRock();           // "rock.wav": a boom and crack with debris and rumble, 3.5 s
