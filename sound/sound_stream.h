// A long sound file decoded a chunk at a time, so a five-minute track never lies decoded in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct sf_private_tag;

// An open file and where its decoding stands. Moves, never copies: it owns the file.
class SoundStream {
public:
    SoundStream() = default;
    ~SoundStream();
    SoundStream(SoundStream&& other) noexcept;
    SoundStream& operator=(SoundStream&& other) noexcept;
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    // Opens a WAV or MP3 file of one or two channels; false, and closed, when it cannot be decoded.
    bool open(const char* path);
    void close();
    bool isOpen() const { return file != nullptr; }

    // Decodes up to maxFrames frames into out (resized to what came, channels interleaved) and returns
    // the frames decoded. 0 means the end: the file is exhausted or damaged from here on.
    size_t readChunk(std::vector<int16_t>& out, size_t maxFrames);
    // Back to the first frame; false when the file cannot seek (it then stays at its end).
    bool rewind();

    int sampleRate() const { return rate; }   // frames per second
    int channels() const { return channelCount; }
    int64_t announcedFrames() const { return announced; }   // the header's count: a hint only
    bool ended() const { return atEnd; }

private:
    sf_private_tag* file = nullptr;
    int rate = 0, channelCount = 0;
    int64_t announced = 0;
    bool atEnd = false;
};
