// The rasteriser's own limit in the benchmark's run: the time of one full-screen quad drawn with the
// state of the terrain (scene 3) and with that of the sky box (scene 1), and of one frame clear.
#pragma once

struct FillLimits {
    double clearMs = 0;     // colour and depth clear of the whole frame
    double terrainMs = 0;   // one quad: two trilinear texture units (combine x2) and per-pixel exp fog
    double skyMs = 0;       // one quad: one trilinear texture unit, no fog, no lighting
};

// Needs initDemo's textures and texture units; leaves the render state changed (call it after the run).
FillLimits measureFillLimits(int width, int height);
