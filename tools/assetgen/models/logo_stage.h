// The closing scene's hall around the 3D logo: the core plate the letters stand on, its pedestal, a round
// floor and a high wall with a gate where the camera comes in.
#pragma once
#include "models/model_set.h"

// The hall's outer wall (world units from the vertical axis through the logo) and its floor level.
constexpr float hallRadius = 2700;
constexpr float hallFloorY = -350;

// Adds the core (coreWidth x coreHeight, coreHalfDepth either side of z = 0, centred at height centreY),
// the pedestal, floor and wall, with their materials and textures.
void addLogoStage(BuiltModel& model, float coreWidth, float coreHeight, float coreHalfDepth, float centreY);
