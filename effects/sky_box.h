// The sky-box display list: a textured cube of half-size 40000 around the origin.
#pragma once
#include "image/image.h"

extern unsigned int skyBoxList;  // display-list name; 0 before buildSkyBox

// Compiles skyBoxList from six face images (slot i holds sky(i+1).jpg; empty slots draw untextured).
// Needs glActiveTextureARB resolved; draws nothing. releaseSkyBox deletes the list again.
void buildSkyBox(ImageSlots faceImages);
void releaseSkyBox();
