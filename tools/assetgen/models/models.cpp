// Writes the five models of the data set under data/3ds/ and their textures under data/textury/.
#include <cstdio>

#include "assetgen.h"
#include "models/model_set.h"
#include "models/writer3ds.h"

namespace {

bool writeTextures(const std::string& dataDir, const BuiltModel& model) {
    for (const ModelTexture& t : model.textures)
        if (!writeJpeg(dataDir + "/textury/" + t.file, t.picture, 90)) return false;
    return true;
}

bool writeBuilt(const std::string& dataDir, const char* file, const BuiltModel& model) {
    return write3ds(dataDir + "/3ds/" + file, model.mesh) && writeTextures(dataDir, model);
}

}  // namespace

bool writeModels(const std::string& dataDir) {
    if (!writeBuilt(dataDir, "vesmir.3ds", buildSpaceModel())) return false;
    if (!writeBuilt(dataDir, "lod.3ds", buildShipModel())) return false;
    if (!writeBuilt(dataDir, "modul.3ds", buildModuleModel())) return false;
    const TerrainModels terrain = buildTerrainModels();
    if (!writeBuilt(dataDir, "teren.3ds", terrain.terrain)) return false;
    if (!write3ds(dataDir + "/3ds/teren2.3ds", terrain.detail)) return false;
    const BuiltModel logo = buildLogoModel();
    if (logo.mesh.triangleCount() == 0) {   // the font is missing or held no outlines
        std::fprintf(stderr, "assetgen: the logo has no letters (is fonts-play installed?)\n");
        return false;
    }
    return writeBuilt(dataDir, "orx.3ds", logo);
}
