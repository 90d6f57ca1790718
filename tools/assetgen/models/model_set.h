// The five models of the data set with their textures, built in memory (the writer and the tests share them).
#pragma once
#include <string>
#include <vector>

#include "common/image_writers.h"
#include "models/mesh.h"

// A model texture: the file name its material gives (under data/textury/) and its pixels.
struct ModelTexture {
    std::string file;
    Picture picture;
};

struct BuiltModel {
    MeshModel mesh;
    std::vector<ModelTexture> textures;
};

BuiltModel buildSpaceModel();    // data/3ds/vesmir.3ds: planets, rings, asteroid belt
BuiltModel buildShipModel();     // data/3ds/lod.3ds
BuiltModel buildModuleModel();   // data/3ds/modul.3ds
BuiltModel buildLogoModel();     // data/3ds/orx.3ds

// The terrain: tiles of one grid topology (teren.3ds) and one tile holding the detail coordinates
// (teren2.3ds), which every tile shares by vertex number.
struct TerrainModels {
    BuiltModel terrain;
    MeshModel detail;
};
TerrainModels buildTerrainModels();

// Terrain shape, for the tests: the ground height (world units, y up) at a world position.
float terrainHeight(float x, float z);
constexpr int terrainTilesPerSide = 3;
constexpr int terrainQuadsPerTile = 42;   // per side: (42 + 1)^2 vertices and 2 * 42^2 faces per tile
constexpr int terrainDetailRepeats = 21;  // detail texture repeats per tile side (whole, so tiles join)

// Model-space facts the scenes rely on.
constexpr float shipScale = 0.2f;
constexpr float moduleScale = 0.02f;
