// The sound layer over OpenAL Soft: one context, a fixed set of sources as channels, one buffer per short
// sample and a queue of buffers per long one (openal_stream.h). Streams are fed by a worker on a real
// device and by the loopback renderer before each mix; one lock keeps the two from meeting.
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/efx.h>

#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "sound/channel_pool.h"
#include "sound/openal_backend.h"
#include "sound/openal_loopback.h"
#include "sound/openal_reverb.h"
#include "sound/openal_stream.h"
#include "sound/sound_backend.h"
#include "sound/sound_decoder.h"
#include "sound/stream_feeder.h"

namespace {
constexpr int maxChannels = 256;   // what OpenAL Soft offers by default
// The feeder's period: a small part of what a stream holds queued (streamQueueLength chunks).
constexpr int feedIntervalMs = 20;

struct LoadedSample {
    int id;
    ALuint buffer;                          // 0 for a streamed sample
    std::unique_ptr<OpenAlStream> stream;   // null for a sample decoded whole
};

// Everything the backend holds between initialisation and closing; context is null outside that span.
struct OpenAlState {
    ALCdevice* device = nullptr;
    bool ownsDevice = false;          // false for the loopback device, which loopback_sound.cpp closes
    ALCcontext* context = nullptr;
    std::vector<ALuint> sources;      // channel n is sources[n]
    std::vector<ChannelUse> uses;     // parallel to sources
    uint64_t starts = 0;              // play requests so far, numbers the channel starts
    std::vector<LoadedSample> samples;
    OpenAlReverb reverb;
    float rolloffFactor = 1.0f;
};

OpenAlState al;
std::mutex streamLock;   // held by whatever touches a stream or the channel a stream plays on
int nextSampleId = 1;   // never reused, so a freed handle never names a later sample

int clampChannels(int count) { return count < 1 ? 1 : (count > maxChannels ? maxChannels : count); }

std::vector<ALCint> contextAttributes(int mixRate, int channelCount, bool loopback) {
    std::vector<ALCint> a;
    if (loopback) {
        a.insert(a.end(), {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT});
        mixRate = loopbackDevice().sampleRate;
        // Offline output must not depend on a listener's head model, and the output limiter would
        // delay everything by its look-ahead (1 ms), so a sound would no longer start at the first
        // sample of the frame step that played it.
        a.insert(a.end(), {ALC_HRTF_SOFT, ALC_FALSE, ALC_OUTPUT_LIMITER_SOFT, ALC_FALSE});
    }
    if (mixRate > 0) a.insert(a.end(), {ALC_FREQUENCY, mixRate});
    a.insert(a.end(), {ALC_MONO_SOURCES, channelCount, ALC_STEREO_SOURCES, channelCount});
    a.insert(a.end(), {ALC_MAX_AUXILIARY_SENDS, 1, 0});
    return a;
}

// Channels are 2D: at the listener, and stereo samples go straight to the left and right outputs.
void setUpSource(ALuint source, bool directChannels) {
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcei(source, AL_LOOPING, AL_FALSE);
    alSourcef(source, AL_ROLLOFF_FACTOR, al.rolloffFactor);
    if (directChannels) alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
}

void makeSources(int count) {
    const bool directChannels = alIsExtensionPresent("AL_SOFT_direct_channels");
    alGetError();
    for (int i = 0; i < count; ++i) {
        ALuint source = 0;
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR) break;
        setUpSource(source, directChannels);
        al.sources.push_back(source);
    }
    al.uses.assign(al.sources.size(), ChannelUse{});
}

LoadedSample* findSample(SoundSample sample) {
    if (sample.empty() || !al.context) return nullptr;
    for (LoadedSample& s : al.samples)
        if (s.id == sample.id) return &s;
    return nullptr;
}

bool channelPlaying(ALuint source) {
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING || state == AL_PAUSED;
}

void detachBuffer(ALuint buffer) {
    for (ALuint source : al.sources) {
        ALint attached = 0;
        alGetSourcei(source, AL_BUFFER, &attached);
        if (static_cast<ALuint>(attached) != buffer) continue;
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
    }
}

// A stream that plays on a channel about to be given to another sound is cut off, as any sound is.
void releaseChannelFromStreams(ALuint source) {
    for (LoadedSample& s : al.samples)
        if (s.stream && s.stream->source == source) detachOpenAlStream(*s.stream);
}

void feedStreamsLocked() {
    for (LoadedSample& s : al.samples)
        if (s.stream) refillOpenAlStream(*s.stream);
}

void feedStreams() {
    std::lock_guard<std::mutex> guard(streamLock);
    if (al.context) feedStreamsLocked();
}

void noHardwareChannels(int) {}

void closeBackend() {
    stopStreamFeeder();   // before the lock: the feeder takes it
    std::lock_guard<std::mutex> guard(streamLock);
    if (!al.context) return;
    for (LoadedSample& s : al.samples)
        if (s.stream) releaseOpenAlStream(*s.stream);
    for (ALuint source : al.sources) alSourceStop(source);
    if (!al.sources.empty()) alDeleteSources(static_cast<ALsizei>(al.sources.size()), al.sources.data());
    releaseReverb(al.reverb);
    for (const LoadedSample& s : al.samples)
        if (s.buffer) alDeleteBuffers(1, &s.buffer);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(al.context);
    if (al.ownsDevice) alcCloseDevice(al.device);
    if (!al.ownsDevice) loopbackDevice().mixing = false;
    al = OpenAlState{};
}

bool initBackend(int mixRate, int channelCount) {
    closeBackend();
    const bool loopback = loopbackDevice().device != nullptr;
    ALCdevice* device = loopback ? loopbackDevice().device : alcOpenDevice(nullptr);
    if (!device) return false;
    const int channels = clampChannels(channelCount);
    const std::vector<ALCint> attributes = contextAttributes(mixRate, channels, loopback);
    ALCcontext* context = alcCreateContext(device, attributes.data());
    if (!context || !alcMakeContextCurrent(context)) {
        if (context) alcDestroyContext(context);
        if (!loopback) alcCloseDevice(device);
        return false;
    }
    al.device = device;
    al.ownsDevice = !loopback;
    al.context = context;
    loopbackDevice().mixing = loopback;
    makeSources(channels);
    findEfx(device, al.reverb);
    if (al.sources.empty()) {
        closeBackend();
        return false;
    }
    return true;
}

SoundSample addSample(ALuint buffer, std::unique_ptr<OpenAlStream> stream) {
    const int id = nextSampleId++;
    std::lock_guard<std::mutex> guard(streamLock);
    al.samples.push_back({id, buffer, std::move(stream)});
    return {id};
}

// Long files are streamed: their first buffers are decoded now, so a play request starts at once.
bool shouldStream(const char* path) {
    SoundStream probe;
    if (!probe.open(path)) return false;
    const int64_t frameBytes = int64_t{2} * probe.channels();
    return probe.announcedFrames() > streamAboveBytes / frameBytes;
}

SoundSample loadStreamedSample(const char* path) {
    auto stream = std::make_unique<OpenAlStream>();
    if (!openOpenAlStream(path, *stream)) return {};
    return addSample(0, std::move(stream));
}

SoundSample loadBackendSample(const char* path) {
    if (!al.context) return {};
    if (shouldStream(path)) return loadStreamedSample(path);
    DecodedSound sound;
    if (!decodeSoundFile(path, sound)) return {};
    const ALenum format = sound.channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR) return {};
    alBufferData(buffer, format, sound.samples.data(), static_cast<ALsizei>(sound.bytes()), sound.sampleRate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        return {};
    }
    return addSample(buffer, nullptr);
}

void setBackendReverb(const ReverbProperties& reverb) {
    if (!al.context) return;
    const ALuint slot = applyReverb(al.reverb, convertReverb(reverb));
    if (!slot) return;
    for (ALuint source : al.sources) alSource3i(source, AL_AUXILIARY_SEND_FILTER, static_cast<ALint>(slot), 0, AL_FILTER_NULL);
    alGetError();
}

void setBackendRolloff(float factor) {
    if (!al.context) return;
    al.rolloffFactor = factor >= 0.0f ? factor : 0.0f;   // NaN and negatives become 0
    for (ALuint source : al.sources) alSourcef(source, AL_ROLLOFF_FACTOR, al.rolloffFactor);
}

void setBackendDoppler(float factor) {
    if (al.context) alDopplerFactor(factor >= 0.0f ? factor : 0.0f);
}

void setBackendMasterVolume(int volume) {
    if (al.context) alListenerf(AL_GAIN, volumeToGain(volume));
}

int playBackendSample(SoundSample sample) {
    std::lock_guard<std::mutex> guard(streamLock);
    LoadedSample* loaded = findSample(sample);
    if (!loaded) return noChannel;
    for (size_t i = 0; i < al.sources.size(); ++i) al.uses[i].playing = channelPlaying(al.sources[i]);
    const int channel = chooseChannel(al.uses.data(), static_cast<int>(al.uses.size()));
    if (channel < 0) return noChannel;
    const ALuint source = al.sources[static_cast<size_t>(channel)];
    releaseChannelFromStreams(source);
    if (loaded->stream) {
        startOpenAlStream(*loaded->stream, source);
        // The loopback device is fed by its renderer, in step with its mixing.
        if (!loopbackDevice().mixing) startStreamFeeder(feedStreams, feedIntervalMs);
    } else {
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, static_cast<ALint>(loaded->buffer));
        alSourcef(source, AL_GAIN, 1.0f);   // a new sound starts at full volume until told otherwise
        alSourcePlay(source);
    }
    al.uses[static_cast<size_t>(channel)] = {true, ++al.starts};
    return channel;
}

void setBackendChannelVolume(int channel, int volume) {
    if (!al.context || channel < 0 || static_cast<size_t>(channel) >= al.sources.size()) return;
    alSourcef(al.sources[static_cast<size_t>(channel)], AL_GAIN, volumeToGain(volume));
}

void freeBackendSample(SoundSample sample) {
    std::lock_guard<std::mutex> guard(streamLock);
    LoadedSample* loaded = findSample(sample);
    if (!loaded) return;
    if (loaded->stream) {
        releaseOpenAlStream(*loaded->stream);
    } else {
        detachBuffer(loaded->buffer);
        alDeleteBuffers(1, &loaded->buffer);
    }
    al.samples.erase(al.samples.begin() + (loaded - al.samples.data()));
}

const SoundBackend openAl = {
    noHardwareChannels, initBackend,      loadBackendSample,       setBackendReverb,
    setBackendRolloff,  setBackendDoppler, setBackendMasterVolume, playBackendSample,
    setBackendChannelVolume, freeBackendSample, closeBackend,
};
}  // namespace

const SoundBackend& openAlSoundBackend() { return openAl; }

void feedOpenAlStreams() { feedStreams(); }

bool readOpenAlReverb(EaxReverbSettings& out) { return al.context && readReverb(al.reverb, out); }

int openAlChannelCount() { return al.context ? static_cast<int>(al.sources.size()) : 0; }
