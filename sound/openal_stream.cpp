// The buffer queue of a streamed sample. Every buffer it queues holds a whole chunk except the last of
// the file, so a source fed before each mix never meets the end of its queue early, and the samples it
// plays are those of the file in order, exactly as one buffer holding the whole file would give them.
#include "sound/openal_stream.h"

#include <algorithm>

namespace {
// Decodes the next chunk into buffer; false at the end of the file (the buffer is left alone).
bool decodeInto(OpenAlStream& stream, ALuint buffer) {
    std::vector<int16_t> chunk;
    const size_t frames = stream.file.readChunk(chunk, streamChunkFrames);
    if (frames == 0) return false;
    alBufferData(buffer, stream.format, chunk.data(), static_cast<ALsizei>(chunk.size() * sizeof(int16_t)),
                 stream.file.sampleRate());
    return alGetError() == AL_NO_ERROR;
}

void decodeAll(OpenAlStream& stream) {
    stream.ready.clear();
    for (ALuint buffer : stream.buffers)
        if (decodeInto(stream, buffer)) stream.ready.push_back(buffer);
}

void queueReady(OpenAlStream& stream) {
    for (ALuint buffer : stream.ready) alSourceQueueBuffers(stream.source, 1, &buffer);
    stream.ready.clear();
}

ALint sourceValue(ALuint source, ALenum name) {
    ALint value = 0;
    alGetSourcei(source, name, &value);
    return value;
}
}  // namespace

bool openOpenAlStream(const char* path, OpenAlStream& stream) {
    releaseOpenAlStream(stream);
    if (!stream.file.open(path)) return false;
    stream.format = stream.file.channels() == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    alGetError();
    stream.buffers.assign(streamQueueLength, 0);
    alGenBuffers(streamQueueLength, stream.buffers.data());
    if (alGetError() != AL_NO_ERROR) {
        stream.buffers.clear();
        stream.file.close();
        return false;
    }
    decodeAll(stream);
    if (stream.ready.empty()) {   // not one frame: no sample, as a whole decoding would refuse it
        releaseOpenAlStream(stream);
        return false;
    }
    return true;
}

void startOpenAlStream(OpenAlStream& stream, ALuint source) {
    detachOpenAlStream(stream);
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    if (stream.played) {
        stream.file.rewind();
        decodeAll(stream);
    }
    stream.source = source;
    stream.played = true;
    alSourcef(source, AL_GAIN, 1.0f);   // a new sound starts at full volume until told otherwise
    queueReady(stream);
    alSourcePlay(source);
}

void refillOpenAlStream(OpenAlStream& stream) {
    if (!stream.source) return;
    for (ALint done = sourceValue(stream.source, AL_BUFFERS_PROCESSED); done > 0; --done) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(stream.source, 1, &buffer);
        if (decodeInto(stream, buffer)) alSourceQueueBuffers(stream.source, 1, &buffer);
    }
    // Starved (a stalled feeder on a real device): play on from where it stopped.
    if (sourceValue(stream.source, AL_SOURCE_STATE) == AL_STOPPED && sourceValue(stream.source, AL_BUFFERS_QUEUED) > 0)
        alSourcePlay(stream.source);
}

void detachOpenAlStream(OpenAlStream& stream) {
    if (!stream.source) return;
    alSourceStop(stream.source);
    alSourcei(stream.source, AL_BUFFER, 0);   // unqueues every buffer
    stream.source = 0;
    stream.ready.clear();
}

void releaseOpenAlStream(OpenAlStream& stream) {
    detachOpenAlStream(stream);
    if (!stream.buffers.empty()) alDeleteBuffers(static_cast<ALsizei>(stream.buffers.size()), stream.buffers.data());
    stream.buffers.clear();
    stream.ready.clear();
    stream.file.close();
    stream.played = false;
}
