// The three parts of the data set; each writes its files under the data folder and returns false
// (after saying why on standard error) when a file could not be written.
#pragma once
#include <string>

bool writeImages(const std::string& dataDir);   // data/textury/: sky box, sun, logos, font, sprites, detail
bool writeModels(const std::string& dataDir);   // data/3ds/ and the model textures under data/textury/
bool writeSounds(const std::string& dataDir);   // data/sound/: ikarie.mp3, 1.wav, puff.wav, rock.wav

// The application icon as ICON_DIR/hicolor/NxN/apps/halvex.png at every size of the icon theme.
bool writeIcons(const std::string& iconDir);
