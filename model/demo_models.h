// The five models of the demo, constructed before the entry point runs, loaded at start-up and released
// at shutdown.
#pragma once

#include "model/model.h"

extern Model spaceModel;     // "data/3ds/vesmir.3ds": the space backdrop
extern Model shipModel;      // "data/3ds/lod.3ds"
extern Model moduleModel;    // "data/3ds/modul.3ds"
extern Model terrainModel;   // "data/3ds/teren.3ds", with the detail texture
extern Model logoModel;      // "data/3ds/orx.3ds"
