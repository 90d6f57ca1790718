// 16-bit stereo WAV output of the mixed sound.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

bool writeStereoWav(const std::string& path, const std::vector<int16_t>& interleaved, int sampleRate);
