// Camera-facing squares for the sun, the glows and the spiral.
#pragma once
#include "math/vector.h"

// The camera's right and up axes in the current model space: rows 0 and 1 of the modelview matrix.
struct BillboardAxes {
    Vector3 right;
    Vector3 up;
};
BillboardAxes readBillboardAxes();

// One GL_QUADS square of half-size halfSize around centre, spanned by the given axes (not normalised).
void drawBillboardWithAxes(Vector3 centre, float halfSize, const BillboardAxes& axes);

// The same with the axes read from the current modelview matrix; current colour and texture apply.
void drawBillboard(Vector3 centre, float halfSize);

// An additive glow of the sun texture around centre in the given colour, drawn over everything: depth
// test and lighting off while it is drawn; depth test on again afterwards, lighting left off.
void drawSunGlow(Vector3 centre, float halfSize, float red, float green, float blue);
