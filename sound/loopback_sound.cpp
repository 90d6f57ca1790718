// The loopback device: opened before the layer initialises, rendered by the caller, one call per frame step.
#include "sound/loopback_sound.h"

#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sound/openal_loopback.h"
#include "sound/openal_stream.h"
#include "sound/sound_backend.h"

namespace {
LoopbackDevice loopback;

struct LoopbackCalls {
    LPALCLOOPBACKOPENDEVICESOFT open = nullptr;
    LPALCISRENDERFORMATSUPPORTEDSOFT formatSupported = nullptr;
    LPALCRENDERSAMPLESSOFT render = nullptr;
};

bool findLoopbackCalls(LoopbackCalls& calls) {
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return false;
    calls.open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    calls.formatSupported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
        alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
    calls.render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    return calls.open && calls.formatSupported && calls.render;
}

LoopbackCalls calls;
}  // namespace

LoopbackDevice& loopbackDevice() { return loopback; }

bool openLoopbackSound(int sampleRate) {
    closeLoopbackSound();
    if (!findLoopbackCalls(calls)) {
        std::fprintf(stderr, "sound: OpenAL has no loopback device (ALC_SOFT_loopback)\n");
        return false;
    }
    ALCdevice* device = calls.open(nullptr);
    if (!device) {
        std::fprintf(stderr, "sound: the loopback device could not be opened\n");
        return false;
    }
    if (sampleRate <= 0 || !calls.formatSupported(device, sampleRate, ALC_STEREO_SOFT, ALC_SHORT_SOFT)) {
        std::fprintf(stderr, "sound: the loopback device cannot render 16-bit stereo at %d Hz\n", sampleRate);
        alcCloseDevice(device);
        return false;
    }
    loopback.device = device;
    loopback.sampleRate = sampleRate;
    loopback.mixing = false;
    return true;
}

void renderLoopbackSamples(int16_t* out, int frames) {
    if (!out || frames <= 0) return;
    if (loopback.device && loopback.mixing) {
        // Never more than one stream buffer per mix: fed before each, a stream always holds the
        // frames the mix asks for, so long steps sound as short ones do.
        while (frames > 0) {
            const int slice = std::min(frames, static_cast<int>(streamChunkFrames));
            feedOpenAlStreams();
            calls.render(loopback.device, out, slice);
            out += 2 * static_cast<size_t>(slice);
            frames -= slice;
        }
        return;
    }
    std::memset(out, 0, sizeof(int16_t) * 2 * static_cast<size_t>(frames));
}

void closeLoopbackSound() {
    if (!loopback.device) return;
    // A layer still mixing into the device must let go of it first.
    if (loopback.mixing) openAlSoundBackend().close();
    alcCloseDevice(loopback.device);
    loopback = LoopbackDevice{};
}

bool loopbackSoundOpen() { return loopback.device != nullptr; }
int loopbackSampleRate() { return loopback.sampleRate; }
