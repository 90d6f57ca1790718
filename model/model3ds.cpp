// Emptying a model: the counts go back to 0 with the arrays they count.
#include "model/model3ds.h"

void Model3ds::clear() {
    objects.clear();
    objects.shrink_to_fit();
    materials.clear();
    materials.shrink_to_fit();
    objectCount = 0;
    materialCount = 0;
}
