// Seeded gradient noise in three dimensions and its fractal sums, the raw material of every cloud,
// nebula and grain the generated pictures show.
#pragma once
#include <cstdint>

class GradientNoise {
public:
    explicit GradientNoise(uint64_t seed);
    // Smooth noise of about -1..1 with lattice cells of size 1.
    float at(float x, float y, float z) const;
    // The same, repeating every `period` cells along x and y (period 1..256), for tileable pictures.
    float atPeriodic(float x, float y, float z, int period) const;

private:
    float gradientSum(int xi, int yi, int zi, float fx, float fy, float fz, int period) const;
    uint8_t perm_[512];
};

// Fractal sum of `octaves` noise layers, each twice the frequency and `gain` times the amplitude of the
// one before, normalised to about -1..1. Each layer is turned a little so lattice axes do not line up.
float fractalNoise(const GradientNoise& noise, float x, float y, float z, int octaves, float gain = 0.5f);

// The same over a tileable square: x and y repeat every `period` units of the first octave.
float fractalNoisePeriodic(const GradientNoise& noise, float x, float y, float z, int period, int octaves,
                           float gain = 0.5f);

// Hermite step from 0 at edge0 to 1 at edge1.
float smoothStep(float edge0, float edge1, float x);
