// Smooth per-vertex normals of 3DS objects: the area-weighted sum of the faces around each vertex.
#pragma once

#include "model/model3ds.h"

// Fills the normals of every object of the model, in object order.
void computeNormals(Model3ds& model);

// Fills object.normals (vertexCount entries). Each vertex sums the face vectors cross(P0 - P2, P2 - P1)
// of the faces that use it, in face order, and takes normalize(divide(sum, -shared)). A face with a
// vertex index at or beyond vertexCount has no defined corner and contributes to no vertex; a vertex
// that no face uses gets the zero vector (it is never drawn).
void computeObjectNormals(Object3ds& object);
