// A sound backend that records every layer call as a line of text instead of making a sound.
#pragma once
#include <string>
#include <vector>

// Installs the recorder and clears what it holds. When initSucceeds is false, initialisation fails.
// Loads hand out handles 1, 2, 3, ...; plays hand out channels 0, 1, 2, ... (noChannel for an empty
// handle). The recorder stays until restoreSoundBackend().
void recordSoundCalls(bool initSucceeds = true);
void restoreSoundBackend();

// Lines such as "init 44100 32", "load data/sound/1.wav -> 2", "play 2 -> 1", "volume 1 180", "close".
const std::vector<std::string>& recordedSoundCalls();
