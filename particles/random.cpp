// randomUnit and randomRange over rand(); each call consumes exactly one number of the generator.
#include "particles/random.h"

#include <cstdlib>

float randomUnit() {
    constexpr float inverse = 1.0f / 32767.0f;
    return static_cast<float>(std::rand() & 0x7FFF) * inverse;
}

float randomRange(float low, float high) {
    return low + randomUnit() * (high - low);
}
