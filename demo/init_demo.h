// Loads everything the scenes draw and sets the render state; demo time 0 is the end of loading.
#pragma once
#include "platform/window.h"

// Stores the window, creates the GL context and runs loadDemo. Without a context (a quit request is then
// pending) nothing else is done, so no GL call is ever made.
void initDemo(WindowHandle window);

// Everything after the context, in order: render state, material and lights, images, models,
// particles, entry points, font and sky box, sound (when soundEnabled), the clock, the texture units.
// Without the multitexture pair (a "Chyba" message and a quit request follow) nothing that would call
// it is built, no sound starts and no frame will be rendered.
void loadDemo();

// The steps of loadDemo, for the capture tool and tests that need only part of the start-up.
void setFixedRenderState();       // clear colour, shading, depth test, fill, texturing, hints
void setMaterialAndLights();      // front material, colour material, lighting, GL_LIGHT0 and GL_LIGHT1
void loadImageTables();           // skyImages and sceneImages
void loadModels();                // the five models, the terrain with its detail texture
void loadParticleSystem();        // the two sprite textures and three emitters
bool resolveEntryPoints();        // the multitexture pair, then the 66-name table; false without the pair
void buildDisplayLists();         // font, sky box, logos
