// Triangulation of a flat outline with holes: holes are bridged into the outer loop, then ears are clipped.
#pragma once
#include <array>
#include <vector>

#include "models/mesh.h"

using Loop2 = std::vector<V2>;

// Signed area of a closed loop: positive when it turns counter-clockwise (x right, y up).
float signedArea(const Loop2& loop);

// One outer loop (counter-clockwise) with the hole loops inside it (clockwise). The result indexes the
// concatenated points: the outer loop's first, then each hole's in order.
std::vector<std::array<int, 3>> triangulateWithHoles(const Loop2& outer, const std::vector<Loop2>& holes);
