// The images of the data set: every picture under data/textury/ that the demo's own code draws.
#include "assetgen.h"

#include "images/images.h"

bool writeImages(const std::string& dataDir) {
    const std::string folder = dataDir + "/textury/";
    return writeSkyBox(folder) && writeGlowImages(folder) && writeSurfaceImages(folder) && writeLogos(folder) &&
           writeFontSheet(folder) && writeSprites(folder);
}
