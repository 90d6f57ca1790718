// Sound files written by the tests themselves with libsndfile, in a temporary folder they work in.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Interleaved float samples (-1..1) into a WAV (16-bit PCM) or MP3 (LAME) file; false on failure.
bool writeWavFile(const std::string& path, const std::vector<float>& samples, int channels, int sampleRate);
bool writeMp3File(const std::string& path, const std::vector<float>& samples, int channels, int sampleRate);

// A stereo test tone: left and right at different frequencies, amplitude 0..1.
std::vector<float> stereoTone(int frames, int sampleRate, float amplitude);

// Decodes a file completely with libsndfile as 16-bit samples, for comparing with what was mixed.
std::vector<int16_t> readAllShorts(const std::string& path, int& channels);

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
