// Storage of the two image slot tables; the slots stay empty until the start-up loads the images.
#include "demo/demo_images.h"

namespace {
Image* skySlots[skyImageCount] = {};
Image* sceneSlots[sceneImageCount] = {};
}  // namespace

ImageSlots skyImages = skySlots;
ImageSlots sceneImages = sceneSlots;
