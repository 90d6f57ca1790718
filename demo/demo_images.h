// The demo's two image slot tables: the six sky-box faces and the seven scene images.
#pragma once
#include "image/image.h"

constexpr int skyImageCount = 6;    // slot i holds sky(i+1).jpg
constexpr int sceneImageCount = 7;  // orx.tga, sun.jpg, mrak.jpg, slunce.jpg, spirala.jpg, qm.tga, font.tga

extern ImageSlots skyImages;    // skyImageCount slots, empty until the start-up fills them
extern ImageSlots sceneImages;  // sceneImageCount slots, empty until the start-up fills them
