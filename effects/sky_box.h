// The sky-box display list (a textured cube of half-size 40000 around the origin) and the logo lists.
#pragma once

extern unsigned int skyBoxList;  // display-list name; 0 before buildSkyBox

// Compiles skyBoxList from skyImages slots 0..5, then the two logo lists (effects/logo.h). Needs the
// images loaded and glActiveTextureARB resolved; draws nothing.
void buildSkyBox();
