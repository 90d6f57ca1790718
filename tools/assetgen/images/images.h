// The picture families of data/textury/, one generator each; every one writes its files into `folder`
// (ending in a slash) and returns false after saying why on standard error.
#pragma once
#include <string>

bool writeSkyBox(const std::string& folder);       // sky1.jpg .. sky6.jpg
bool writeGlowImages(const std::string& folder);   // sun.jpg, slunce.jpg, spirala.jpg
bool writeSurfaceImages(const std::string& folder);   // mrak.jpg, detail2.jpg
bool writeLogos(const std::string& folder);        // orx.tga, qm.tga
bool writeFontSheet(const std::string& folder);    // font.tga
bool writeSprites(const std::string& folder);      // head02.tga, smoke02.tga

// The application icon (not part of data/): square RGBA pictures at the icon theme's sizes.
struct Picture;
constexpr int iconSizeCount = 8;
extern const int iconSizes[iconSizeCount];   // pixels a side, 16 to 256
bool makeIcon(int size, Picture& out);
