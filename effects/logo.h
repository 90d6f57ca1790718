// The two logo display lists: flat textured rectangles in their own units, scaled by 0.0015.
#pragma once
#include "image/image.h"

extern unsigned int orxLogoList;  // the ORX logo, 550 x 200 units: 0.825 x 0.3 after scaling
extern unsigned int qmLogoList;   // the QM logo, 450 x 100 units: 0.675 x 0.15 after scaling

// Compiles both lists over the two logos' textures (none: untextured); they set no colour and no
// blending. releaseLogoLists deletes them again.
void buildLogoLists(const Image* orxLogo, const Image* qmLogo);
void releaseLogoLists();
