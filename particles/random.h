// The particle system's random numbers, all from the C library generator so one seed gives one run.
#pragma once

float randomUnit();                      // [0, 1]: the low 15 bits of rand() times 1/32767
float randomRange(float low, float high); // low + randomUnit() * (high - low)
