// Render-state pieces that start-up and the scenes set the same way.
#pragma once
#include "image/gl_api.h"

// The front material: the given ambient, black diffuse, shininess 10, the current colour tracking ambient
// and diffuse, lighting on.
void setFrontMaterial(const float ambient[4]);

// One light with its colours and position (under the current modelview), no spot direction; enabled.
void setLight(GLenum light, const float ambient[4], const float diffuse[4], const float specular[4],
              const float position[4]);

// Grey exponential fog of the given density, computed per pixel where the driver allows; enabled.
void setGreyFog(float density);

// Unit 0's texture added over everything: depth test and lighting off, texturing on unit 0, blending with
// (sourceFactor, GL_ONE) on. The caller binds the texture and restores what it needs afterwards.
void beginAdditiveOverlay(GLenum sourceFactor);

// Unit 0 modulates; unit 1 multiplies by the detail texture and doubles. Unit 1 stays active. Start-up
// leaves the units so, and the rehearsal puts them back so. Needs the multitexture entry points.
void setupTextureUnits();
