// Which vertices lie beyond which side of the view volume. A triangle whose three corners are all beyond
// the same side is clipped away whole, so leaving it out of the draw changes no pixel: the terrain, most
// of which is behind or beside the camera at any moment, then costs only what is in view.
#pragma once
#include <cstdint>
#include <vector>

#include "math/matrix.h"
#include "math/vector.h"

// One bit per side: left, right, bottom, top, near, far.
using OutsideCode = uint8_t;

// The projection times the modelview in force now: object coordinates to clip coordinates.
Matrix4 currentClipMatrix();

// codes[i] gets the sides that vertex i is clearly beyond. A vertex within a small margin of a side
// counts as inside, so rounding that differs from the driver's never drops a triangle GL would draw.
void computeOutsideCodes(const Matrix4& clip, const std::vector<Vector3>& vertices, std::vector<OutsideCode>& codes);

// True when the three corners share a side they are all beyond.
inline bool triangleOutside(OutsideCode a, OutsideCode b, OutsideCode c) { return (a & b & c) != 0; }
