// The effects are built from the same oscillators, filters and reverb as the music, each normalised to
// a fixed peak so they sit at the volumes the scenes play them at.
#include "audio/sound_effects.h"

#include <algorithm>
#include <cmath>

#include "audio/effects.h"
#include "audio/filters.h"
#include "audio/oscillators.h"
#include "common/rng.h"

namespace {
constexpr int kControlFrames = 16;

float decayPerFrame(double seconds) { return static_cast<float>(std::exp(-1.0 / (seconds * kSampleRate))); }

// Scales the buffer so its loudest sample is peak, and fades the last fadeSeconds to silence.
void finish(StereoBuffer& buffer, float peak, double fadeSeconds) {
    const float loudest = peakOf(buffer);
    const float scale = loudest > 0.0f ? peak / loudest : 0.0f;
    const size_t frames = buffer.frames();
    const size_t fade = std::min(frames, static_cast<size_t>(secondsToFrames(fadeSeconds)));
    for (size_t i = 0; i < frames; ++i) {
        float g = scale;
        if (i + fade >= frames && fade > 0) g *= static_cast<float>(frames - i - 1) / fade;
        buffer.left[i] *= g;
        buffer.right[i] *= g;
    }
}

// Adds a reverb of the buffer's own sound (a mono sum) at the given wet level.
void addRoom(StereoBuffer& buffer, double decay, float wet) {
    std::vector<float> send(buffer.frames());
    for (size_t i = 0; i < send.size(); ++i) send[i] = 0.5f * (buffer.left[i] + buffer.right[i]);
    Reverb room(decay, 0.35);
    room.process(send.data(), send.size(), buffer, wet);
}

float smoothStep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return static_cast<float>(x * x * (3.0 - 2.0 * x));
}
}  // namespace

StereoBuffer renderSpaceOpening() {
    DenormalGuard guard;
    const int64_t frames = secondsToFrames(3.0);
    StereoBuffer out(static_cast<size_t>(frames));
    // The whoosh: noise through a band-pass that climbs and falls back, swelling and moving left to right.
    NoiseSource noiseLeft(0x5A17u), noiseRight(0x0B0Eu);
    StateVariableFilter bandLeft, bandRight;
    // The shimmer: high partials, each trembling at its own rate, gliding slightly upwards.
    const double partials[6] = {880.0, 1318.5, 1760.0, 2637.0, 3520.0, 5274.0};
    const double tremolo[6] = {6.1, 7.3, 8.9, 5.4, 10.2, 11.7};
    SineOscillator tones[6], wobble[6];
    for (int k = 0; k < 6; ++k) wobble[k].setFrequency(tremolo[k]);
    for (int64_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        if (i % kControlFrames == 0) {
            const double centre = t < 1.2 ? 250.0 * std::pow(14.0, t / 1.2) : 3500.0 * std::pow(800.0 / 3500.0, (t - 1.2) / 1.8);
            bandLeft.set(centre, 1.6);
            bandRight.set(centre * 1.1, 1.6);
            for (int k = 0; k < 6; ++k) tones[k].setFrequency(partials[k] * (1.0 + 0.02 * t / 3.0));
        }
        const float swell = smoothStep(t / 0.8) * (1.0f - smoothStep((t - 0.8) / 1.7));
        const float pan = static_cast<float>(std::clamp(t / 2.5, 0.0, 1.0));
        const float whooshLeft = bandLeft.bandpass(noiseLeft.next()) * swell * (1.2f - 0.8f * pan);
        const float whooshRight = bandRight.bandpass(noiseRight.next()) * swell * (0.4f + 0.8f * pan);
        const float glitter = smoothStep((t - 0.3) / 0.9) * (1.0f - smoothStep((t - 1.2) / 1.4));
        float shimmerLeft = 0.0f, shimmerRight = 0.0f;
        for (int k = 0; k < 6; ++k) {
            const float v = tones[k].next() * (0.6f + 0.4f * wobble[k].next()) / (1.0f + 0.4f * k);
            (k % 2 == 0 ? shimmerLeft : shimmerRight) += v;
            (k % 2 == 0 ? shimmerRight : shimmerLeft) += 0.4f * v;
        }
        out.left[i] = whooshLeft + 0.12f * glitter * shimmerLeft;
        out.right[i] = whooshRight + 0.12f * glitter * shimmerRight;
    }
    addRoom(out, 0.85, 0.6f);
    finish(out, 0.7f, 0.05);
    return out;
}

StereoBuffer renderPuff() {
    DenormalGuard guard;
    const int64_t frames = secondsToFrames(0.9);
    StereoBuffer out(static_cast<size_t>(frames));
    // A breath: noise through a band-pass that falls from a hiss to a softer rush, and a thin high hiss on
    // top; it lives between 1 and 8 kHz, where the music leaves room, and has no body below 200 Hz.
    NoiseSource noiseLeft(0x9F0Fu), noiseRight(0x7E11u);
    StateVariableFilter bandLeft, bandRight, hissLeft, hissRight, floorLeft, floorRight;
    hissLeft.set(6000.0, 0.7);
    hissRight.set(6500.0, 0.7);
    floorLeft.set(200.0, 0.7);
    floorRight.set(200.0, 0.7);
    const int64_t attack = secondsToFrames(0.012);
    const float breathFade = decayPerFrame(0.16), hissFade = decayPerFrame(0.07);
    float breath = 1.0f, hiss = 1.0f;
    for (int64_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        if (i % kControlFrames == 0) {
            const double centre = 900.0 + 3600.0 * std::exp(-t / 0.1);
            bandLeft.set(centre, 0.9);
            bandRight.set(centre * 1.08, 0.9);
        }
        const float onset = i < attack ? smoothStep(static_cast<double>(i) / attack) : 1.0f;
        if (i >= attack) {
            breath *= breathFade;
            hiss *= hissFade;
        }
        const float nl = floorLeft.highpass(noiseLeft.next()), nr = floorRight.highpass(noiseRight.next());
        out.left[i] = (bandLeft.bandpass(nl) * breath + 0.5f * hissLeft.highpass(nl) * hiss) * onset;
        out.right[i] = (bandRight.bandpass(nr) * breath + 0.5f * hissRight.highpass(nr) * hiss) * onset;
    }
    // Noise peaks four times above its average; a soft clip of the peaks makes the breath denser, so it
    // carries over the music at the volume the scene plays it. The clip's fizz above 9 kHz is smoothed.
    const float drive = 3.0f / std::max(peakOf(out), 1e-6f);
    OnePoleLowpass smoothLeft, smoothRight;
    smoothLeft.setCutoff(9000.0);
    smoothRight.setCutoff(9000.0);
    for (size_t i = 0; i < out.frames(); ++i) {
        out.left[i] = smoothLeft.process(std::tanh(drive * out.left[i]));
        out.right[i] = smoothRight.process(std::tanh(drive * out.right[i]));
    }
    addRoom(out, 0.7, 0.2f);
    finish(out, 0.65f, 0.08);   // a step under the others: it is dense, and comes every 15 s
    return out;
}

StereoBuffer renderRock() {
    DenormalGuard guard;
    const int64_t frames = secondsToFrames(3.5);
    StereoBuffer out(static_cast<size_t>(frames));
    // The boom: a low sine falling in pitch, driven into a soft saturation.
    SineOscillator boom;
    float boomLevel = 1.0f, drop = 1.0f;
    const float boomFade = decayPerFrame(0.3), dropRate = decayPerFrame(0.2);
    // The crack: a bright noise burst; the rumble: low-middle noise that lingers as the rocks settle.
    NoiseSource crackNoise(0xC0C0u), rumbleLeft(0x1234u), rumbleRight(0x4321u), grainNoise(0xD1B5u);
    StateVariableFilter crackTone, rumbleToneLeft, rumbleToneRight, grainTone;
    crackTone.set(2500.0, 0.6);
    rumbleToneLeft.set(380.0, 0.8);
    rumbleToneRight.set(420.0, 0.8);
    float crack = 1.0f, rumble = 1.0f;
    const float crackFade = decayPerFrame(0.06), rumbleFade = decayPerFrame(0.9);
    // Debris: short grains, fewer and fewer, each its own pitch between 1 and 6 kHz and its own place.
    Rng rng(0x0D0Cull);
    int64_t grainLeft = 0;
    float grainLevel = 0.0f, grainPan = 0.0f;
    const float grainFade = decayPerFrame(0.008);
    const int64_t attack = secondsToFrames(0.002);   // from silence, so the impact does not start on a click
    for (int64_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        boom.setFrequency(45.0 + 60.0 * drop);
        drop *= dropRate;
        boomLevel *= boomFade;
        crack *= crackFade;
        rumble *= rumbleFade;
        const float body = std::tanh(2.2f * boom.next() * boomLevel) * 0.4f;
        const float snap = crackTone.highpass(crackNoise.next()) * crack * 0.7f;
        if (grainLeft-- <= 0 && t > 0.03 && t < 2.8) {
            // Gaps between grains grow as the debris settles.
            grainLeft = static_cast<int64_t>(rng.range(0.003, 0.02 + 0.1 * t) * kSampleRate);
            grainLevel = static_cast<float>(rng.range(0.3, 1.0) * std::exp(-t / 0.9));
            grainPan = static_cast<float>(rng.range(-0.8, 0.8));
            grainTone.set(rng.range(1000.0, 6000.0), 2.0);
        }
        grainLevel *= grainFade;
        // The level goes in before the band-pass, so each grain starts as a tap in its band, not a click.
        const float grain = grainTone.bandpass(grainNoise.next() * grainLevel) * 1.5f;
        const float swell = smoothStep(t / 0.05);
        const float rumbleL = rumbleToneLeft.lowpass(rumbleLeft.next()) * rumble * swell * 2.5f;
        const float rumbleR = rumbleToneRight.lowpass(rumbleRight.next()) * rumble * swell * 2.5f;
        const float onset = i < attack ? static_cast<float>(i) / attack : 1.0f;
        out.left[i] = (body + snap + grain * (1.0f - grainPan) + rumbleL) * onset;
        out.right[i] = (body + snap + grain * (1.0f + grainPan) + rumbleR) * onset;
    }
    addRoom(out, 0.8, 0.35f);
    finish(out, 0.89f, 0.1);
    return out;
}
