// Which scene image each slot holds, and binding a slot's texture for the scenes.
#pragma once

enum SceneImageSlot : int {
    orxLogoSlot = 0,   // "orx.tga"
    sunSlot = 1,       // "sun.jpg": sun, glows, particle pass
    cloudsSlot = 2,    // "mrak.jpg": loaded, never drawn
    sunDiscSlot = 3,   // "slunce.jpg": loaded, never drawn
    spiralSlot = 4,    // "spirala.jpg"
    qmLogoSlot = 5,    // "qm.tga"
    fontSlot = 6,      // "font.tga"
};

// Binds the slot's texture to the active unit's 2D target; an empty slot binds the default texture.
void bindSceneImage(int slot);
