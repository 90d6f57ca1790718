// The two logo display lists: flat textured rectangles in their own units, scaled by 0.0015.
#pragma once

extern unsigned int orxLogoList;  // sceneImages slot 0, 550 x 200 units: 0.825 x 0.3 after scaling
extern unsigned int qmLogoList;   // sceneImages slot 5, 450 x 100 units: 0.675 x 0.15 after scaling

// Compiles both lists (buildSkyBox calls it); they set no colour and no blending.
void buildLogoLists();
