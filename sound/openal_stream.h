// A streamed sample over OpenAL: its open file and a small queue of buffers that one source plays in
// turn, each buffer decoded again as soon as the source has played it.
#pragma once
#include <AL/al.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/sound_stream.h"

constexpr int streamQueueLength = 6;           // buffers per stream
constexpr size_t streamChunkFrames = 16384;    // frames per buffer: 0.37 s at 44.1 kHz, 2.2 s queued
// Files announcing more decoded bytes than this are streamed; shorter ones are decoded whole, so an
// effect can play on several channels at once.
constexpr int64_t streamAboveBytes = int64_t{1} << 20;

struct OpenAlStream {
    SoundStream file;
    ALenum format = 0;
    std::vector<ALuint> buffers;   // all of them, owned
    std::vector<ALuint> ready;     // decoded and waiting to be queued, in playing order
    ALuint source = 0;             // the channel playing it, 0 when none
    bool played = false;           // started at least once: a new start rewinds the file
};

// Opens path and decodes the first buffers, so a start plays at once. False, with nothing held, when
// the file cannot be decoded or OpenAL has no buffers to give.
bool openOpenAlStream(const char* path, OpenAlStream& stream);

// Plays the stream from its first frame on source (stopped and emptied first) at full gain.
void startOpenAlStream(OpenAlStream& stream, ALuint source);

// Requeues the buffers the source has finished, decoded afresh, and restarts a source that ran dry
// before the end of the file. Nothing happens while the stream has no source.
void refillOpenAlStream(OpenAlStream& stream);

// Stops the stream's source and takes its buffers back; the source is free for other sounds.
void detachOpenAlStream(OpenAlStream& stream);

// Detaches it, deletes its buffers and closes the file.
void releaseOpenAlStream(OpenAlStream& stream);
