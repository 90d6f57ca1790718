// Uniform Catmull-Rom paths: one segment (catmullRom) or a whole table of control points (splinePoint).
#pragma once
#include "math/vector.h"

Vector3 catmullRom(Vector3 p0, Vector3 p1, Vector3 p2, Vector3 p3, float u);

// The integer part of t picks the segment (at most ten are reachable), the fraction runs along it.
// A t that selects no segment, or a segment past the table's end, gives (0, 0, 0).
Vector3 splinePoint(const Vector3* points, int count, float t);
