// Whole-file decoding of MP3 and WAV samples into 16-bit PCM through libsndfile.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct DecodedSound {
    int sampleRate = 0;             // frames per second
    int channels = 0;               // 1 or 2, interleaved
    std::vector<int16_t> samples;   // frames x channels
    size_t frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
    size_t bytes() const { return samples.size() * sizeof(int16_t); }
};

// The largest decoded sample the layer accepts, in bytes: about 50 minutes of 44.1 kHz stereo, well
// inside what OpenAL's buffer size can express.
constexpr size_t maxDecodedSoundBytes = size_t{512} << 20;

// Reads the file until libsndfile returns 0 frames (its frame count can be off). False, with out
// cleared, for a missing or undecodable file, no frames, more than two channels, or more than maxBytes.
bool decodeSoundFile(const char* path, DecodedSound& out, size_t maxBytes = maxDecodedSoundBytes);
