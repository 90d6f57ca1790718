// Storage and defaults of the settings.
#include "services/settings.h"

int screenWidth = 1024;
int screenHeight = 768;
bool fullscreen = true;
bool soundEnabled = true;
int requestedColorBits = 32;
bool exclusiveMode = false;
bool stretchPicture = false;
int displayIndex = 0;
bool swapInStep = true;
bool originalAspect = false;
