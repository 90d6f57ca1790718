// Sound files written by the tests themselves with libsndfile, in a temporary folder they work in.
#pragma once
#include <string>
#include <vector>

// Interleaved float samples (-1..1) into an MP3 (LAME) when the name ends in ".mp3", else a 16-bit WAV.
bool writeSoundFile(const std::string& path, const std::vector<float>& samples, int channels, int sampleRate);

// A stereo test tone: left and right at different frequencies, amplitude 0..1.
std::vector<float> stereoTone(int frames, int sampleRate, float amplitude);

// A fresh temporary folder holding data/sound/, entered on construction; on destruction the previous
// working folder is entered again and the temporary one removed.
class TemporarySoundFolder {
public:
    TemporarySoundFolder();
    ~TemporarySoundFolder();
    TemporarySoundFolder(const TemporarySoundFolder&) = delete;
    TemporarySoundFolder& operator=(const TemporarySoundFolder&) = delete;
    bool ok() const { return entered; }

private:
    std::string root, previous;
    bool entered = false;
};
