// Instrument voices: oscillators, envelopes and filters wired per instrument. Each voice is a lambda that
// makes one stereo frame; writeVoice places its frames into the bus.
#include "audio/instruments.h"

#include <algorithm>
#include <cmath>

#include "audio/envelopes.h"
#include "audio/filters.h"
#include "audio/oscillators.h"

namespace {
constexpr int kControlFrames = 16;   // filter cutoffs and pitch bends are updated every this many frames
constexpr int64_t kEndFadeFrames = 128;   // a voice cut off while still sounding would click: 3 ms fade

// Runs a voice for totalFrames frames from the note's start and adds the frames the bus covers.
template <class Voice>
void writeVoice(const BusView& bus, const Note& note, int64_t totalFrames, Voice&& voice) {
    const int64_t first = secondsToFrames(note.start) - bus.windowStart;   // bus index of the voice's frame 0
    const int64_t end = std::min(totalFrames, bus.frames - first);
    const int64_t fadeFrom = totalFrames - kEndFadeFrames;
    float gainLeft, gainRight;
    panGains(note.pan, gainLeft, gainRight);
    for (int64_t i = 0; i < end; ++i) {
        float left, right;
        voice(i, left, right);
        const int64_t at = first + i;
        if (at < 0) continue;
        float fade = 1.0f;
        if (i >= fadeFrom) fade = static_cast<float>(totalFrames - i) / static_cast<float>(kEndFadeFrames);
        bus.left[at] += left * gainLeft * fade;
        bus.right[at] += right * gainRight * fade;
    }
}

// A seed from the note's start and pitch, so every noise voice is its own but the same on every run.
uint32_t noteSeed(const Note& note, uint32_t salt) {
    uint64_t x = static_cast<uint64_t>(secondsToFrames(note.start)) * 0x9E3779B97F4A7C15ull;
    x ^= static_cast<uint64_t>(note.pitch * 16.0f) + salt * 0xBF58476D1CE4E5B9ull;
    x ^= x >> 31;
    x *= 0x94D049BB133111EBull;
    return static_cast<uint32_t>(x >> 32) | 1u;
}

double cents(double c) { return std::pow(2.0, c / 1200.0); }

// Exponential decay per frame for a time constant in seconds.
float decayPerFrame(double seconds) { return static_cast<float>(std::exp(-1.0 / (seconds * kSampleRate))); }

void renderPad(const Note& note, const BusView& bus) {
    const double hz = midiToHz(note.pitch);
    SawOscillator a, b, c;
    a.setFrequency(hz * cents(-11.0));
    b.setFrequency(hz * cents(10.0));
    c.setFrequency(hz * cents(2.5));
    const uint32_t seed = noteSeed(note, 1);
    a.phase = (seed & 1023) / 1024.0;   // staggered phases, so chords do not start with a click
    b.phase = ((seed >> 10) & 1023) / 1024.0;
    c.phase = ((seed >> 20) & 1023) / 1024.0;
    Envelope envelope(1.4, 1.5, 0.85, 1.0, secondsToFrames(note.length));
    const float level = 0.045f * note.velocity;
    writeVoice(bus, note, envelope.totalFrames(), [&](int64_t, float& l, float& r) {
        const float e = envelope.next() * level;
        const float middle = 0.6f * c.next();
        l = (a.next() + middle) * e;
        r = (b.next() + middle) * e;
    });
}

void renderPluck(const Note& note, const BusView& bus) {
    const double hz = midiToHz(note.pitch);
    SawOscillator saw;
    PulseOscillator square;
    saw.setFrequency(hz);
    square.setFrequency(hz * cents(6.0));
    square.width = 0.35;
    Envelope envelope(0.002, 0.16, 0.0, 0.08, secondsToFrames(note.length));
    StateVariableFilter filter;
    const double cutoff = note.brightness > 0.0f ? note.brightness : 1800.0;
    const double q = note.resonance > 0.0f ? note.resonance : 1.2;
    const float snap = decayPerFrame(0.07);
    float sweep = 1.0f;
    const float level = 0.13f * note.velocity;
    writeVoice(bus, note, envelope.totalFrames(), [&](int64_t i, float& l, float& r) {
        if (i % kControlFrames == 0) filter.set(cutoff * (1.0 + 4.0 * sweep), q);
        sweep *= snap;
        const float out = filter.lowpass(saw.next() + 0.6f * square.next()) * envelope.next() * level;
        l = out;
        r = out;
    });
}

void renderBass(const Note& note, const BusView& bus) {
    const double hz = midiToHz(note.pitch);
    SawOscillator saw;
    SineOscillator sub;
    saw.setFrequency(hz);
    sub.setFrequency(hz);   // the fundamental, not an octave under it: a sub-octave only booms on a PA
    Envelope envelope(0.004, 0.25, 0.8, 0.04, secondsToFrames(note.length));
    StateVariableFilter filter;
    const double cutoff = note.brightness > 0.0f ? note.brightness : 500.0;
    const double q = note.resonance > 0.0f ? note.resonance : 1.0;
    const float snap = decayPerFrame(0.06);
    float sweep = 1.0f;
    const float level = 0.16f * note.velocity;
    writeVoice(bus, note, envelope.totalFrames(), [&](int64_t i, float& l, float& r) {
        if (i % kControlFrames == 0) filter.set(cutoff * (1.0 + 3.0 * sweep), q);
        sweep *= snap;
        const float out = (filter.lowpass(saw.next()) + 0.5f * sub.next()) * envelope.next() * level;
        l = out;
        r = out;
    });
}

void renderLead(const Note& note, const BusView& bus) {
    const double hz = midiToHz(note.pitch);
    SawOscillator a, b;
    SineOscillator vibrato;
    vibrato.setFrequency(5.3);
    Envelope envelope(0.015, 0.35, 0.75, 0.3, secondsToFrames(note.length));
    StateVariableFilter filterLeft, filterRight;
    const double cutoff = note.brightness > 0.0f ? note.brightness : 2400.0;
    const float snap = decayPerFrame(0.2);
    float sweep = 1.0f;
    const float level = 0.13f * note.velocity;
    const int64_t vibratoDelay = secondsToFrames(0.25);
    const int64_t vibratoRamp = secondsToFrames(0.6);
    writeVoice(bus, note, envelope.totalFrames(), [&](int64_t i, float& l, float& r) {
        if (i % kControlFrames == 0) {
            // Vibrato fades in after the note has settled, as a player would.
            const double depth = 0.18 * std::clamp(static_cast<double>(i - vibratoDelay) / vibratoRamp, 0.0, 1.0);
            const double bend = std::pow(2.0, depth * vibrato.next() / 12.0);
            a.setFrequency(hz * bend * cents(-7.0));
            b.setFrequency(hz * bend * cents(7.0));
            filterLeft.set(cutoff * (1.0 + 1.5 * sweep), 0.9);
            filterRight.set(cutoff * (1.0 + 1.5 * sweep), 0.9);
            vibrato.phase += vibrato.increment * (kControlFrames - 1);
            if (vibrato.phase >= 1.0) vibrato.phase -= 1.0;
        }
        sweep *= snap;
        const float e = envelope.next() * level;
        const float sa = a.next(), sb = b.next();
        l = filterLeft.lowpass(sa + 0.5f * sb) * e;
        r = filterRight.lowpass(sb + 0.5f * sa) * e;
    });
}

void renderBell(const Note& note, const BusView& bus) {
    const double hz = midiToHz(note.pitch);
    const double ratio = note.resonance > 0.0f ? note.resonance : 3.5;
    SineOscillator modulator, carrier;
    carrier.setFrequency(hz);
    modulator.setFrequency(hz * ratio);
    Envelope envelope(0.002, 1.1, 0.0, 0.5, secondsToFrames(std::max(note.length, 0.05)));
    float index = 0.4f;   // modulation depth in cycles: bright at the strike, mellow as it rings
    const float indexDecay = decayPerFrame(0.35);
    const float level = 0.13f * note.velocity;
    writeVoice(bus, note, envelope.totalFrames(), [&](int64_t, float& l, float& r) {
        const double phase = wrapPhase(carrier.phase + index * modulator.next());
        carrier.next();
        index *= indexDecay;
        const float out = sineOfPhase(phase) * envelope.next() * level;
        l = out;
        r = out;
    });
}

void renderSub(const Note& note, const BusView& bus) {
    SineOscillator sine;
    sine.setFrequency(midiToHz(note.pitch));
    Envelope envelope(0.6, 1.0, 1.0, 0.8, secondsToFrames(note.length));
    const float level = 0.11f * note.velocity;
    writeVoice(bus, note, envelope.totalFrames(), [&](int64_t, float& l, float& r) {
        const float out = sine.next() * envelope.next() * level;
        l = out;
        r = out;
    });
}

void renderKick(const Note& note, const BusView& bus) {
    SineOscillator sine;
    float drop = 1.0f, amplitude = 1.0f;
    const float dropRate = decayPerFrame(0.032);
    const float fade = decayPerFrame(0.15);
    OnePoleLowpass click;
    click.setCutoff(5000.0);
    NoiseSource noise(noteSeed(note, 2));
    const int64_t clickFrames = secondsToFrames(0.006);
    const float level = 0.42f * note.velocity;
    writeVoice(bus, note, secondsToFrames(1.0), [&](int64_t i, float& l, float& r) {
        sine.setFrequency(52.0 + 120.0 * drop);
        drop *= dropRate;
        amplitude *= fade;
        float out = sine.next() * amplitude;
        if (i < clickFrames) out += 0.45f * click.process(noise.next());
        l = r = out * level;
    });
}

void renderSnare(const Note& note, const BusView& bus) {
    SineOscillator low, high;
    low.setFrequency(182.0);
    high.setFrequency(331.0);
    NoiseSource noise(noteSeed(note, 3));
    StateVariableFilter colour;
    colour.set(3200.0, 0.7);
    float tone = 1.0f, rattle = 1.0f;
    const float toneFade = decayPerFrame(0.055), rattleFade = decayPerFrame(0.13);
    const float level = 0.2f * note.velocity;
    writeVoice(bus, note, secondsToFrames(0.8), [&](int64_t, float& l, float& r) {
        const float body = (low.next() + 0.5f * high.next()) * tone;
        const float out = (0.6f * body + colour.bandpass(noise.next()) * 1.6f * rattle) * level;
        tone *= toneFade;
        rattle *= rattleFade;
        l = r = out;
    });
}

void renderClap(const Note& note, const BusView& bus) {
    NoiseSource noiseLeft(noteSeed(note, 4)), noiseRight(noteSeed(note, 5));
    StateVariableFilter bandLeft, bandRight;
    bandLeft.set(1300.0, 1.4);
    bandRight.set(1400.0, 1.4);
    const int64_t burst = secondsToFrames(0.011);
    const float burstFade = decayPerFrame(0.006), tailFade = decayPerFrame(0.12);
    float amplitude = 1.0f;
    const float level = 0.75f * note.velocity;
    writeVoice(bus, note, secondsToFrames(0.7), [&](int64_t i, float& l, float& r) {
        // Three hands a few milliseconds apart, then the room's tail.
        if (i < 3 * burst) amplitude = (i % burst == 0) ? 1.0f : amplitude * burstFade;
        else amplitude = (i == 3 * burst) ? 0.9f : amplitude * tailFade;
        l = bandLeft.bandpass(noiseLeft.next()) * amplitude * level;
        r = bandRight.bandpass(noiseRight.next()) * amplitude * level;
    });
}

void renderHat(const Note& note, const BusView& bus, double decay, double length, double cutoff, float gain) {
    NoiseSource noise(noteSeed(note, 6));
    StateVariableFilter high, body;
    high.set(cutoff, 0.8);
    body.set(10500.0, 2.0);
    float amplitude = 1.0f;
    const float fade = decayPerFrame(decay);
    const float level = gain * note.velocity;
    writeVoice(bus, note, secondsToFrames(length), [&](int64_t, float& l, float& r) {
        const float n = noise.next();
        const float out = (high.highpass(n) + 0.5f * body.bandpass(n)) * amplitude * level;
        amplitude *= fade;
        l = r = out;
    });
}

void renderShaker(const Note& note, const BusView& bus) {
    NoiseSource noise(noteSeed(note, 7));
    StateVariableFilter band;
    band.set(6500.0, 1.2);
    const int64_t attack = secondsToFrames(0.009);
    const float fade = decayPerFrame(0.04);
    float amplitude = 1.0f;
    const float level = 0.18f * note.velocity;
    writeVoice(bus, note, secondsToFrames(0.3), [&](int64_t i, float& l, float& r) {
        float shape = amplitude;
        if (i < attack) shape = static_cast<float>(i) / static_cast<float>(attack);
        else amplitude *= fade;
        l = r = band.bandpass(noise.next()) * shape * level;
    });
}

void renderCrash(const Note& note, const BusView& bus) {
    NoiseSource noiseLeft(noteSeed(note, 8)), noiseRight(noteSeed(note, 9));
    StateVariableFilter highLeft, highRight, ringLeft, ringRight;
    highLeft.set(4200.0, 0.7);
    highRight.set(4400.0, 0.7);
    ringLeft.set(7300.0, 4.0);
    ringRight.set(8100.0, 4.0);
    const float fade = decayPerFrame(std::max(0.3, note.length * 0.4));
    float amplitude = 1.0f;
    const float level = 0.12f * note.velocity;
    writeVoice(bus, note, secondsToFrames(std::max(0.8, note.length * 2.8)), [&](int64_t, float& l, float& r) {
        const float nl = noiseLeft.next(), nr = noiseRight.next();
        l = (highLeft.highpass(nl) + 0.7f * ringLeft.bandpass(nl)) * amplitude * level;
        r = (highRight.highpass(nr) + 0.7f * ringRight.bandpass(nr)) * amplitude * level;
        amplitude *= fade;
    });
}

void renderRiser(const Note& note, const BusView& bus) {
    NoiseSource noiseLeft(noteSeed(note, 10)), noiseRight(noteSeed(note, 11));
    StateVariableFilter bandLeft, bandRight;
    const int64_t frames = std::max<int64_t>(1, secondsToFrames(note.length));
    const double low = 300.0, high = note.brightness > 0.0f ? note.brightness : 7000.0;
    const float level = 0.2f * note.velocity;
    writeVoice(bus, note, frames, [&](int64_t i, float& l, float& r) {
        const double x = static_cast<double>(i) / frames;
        if (i % kControlFrames == 0) {
            const double centre = low * std::pow(high / low, x);
            bandLeft.set(centre, 2.2);
            bandRight.set(centre * 1.07, 2.2);
        }
        const float swell = static_cast<float>(x * x) * level;
        l = bandLeft.bandpass(noiseLeft.next()) * swell;
        r = bandRight.bandpass(noiseRight.next()) * swell;
    });
}

void renderTom(const Note& note, const BusView& bus) {
    SineOscillator sine;
    const double hz = midiToHz(note.pitch);
    float drop = 1.0f, amplitude = 1.0f;
    const float dropRate = decayPerFrame(0.06), fade = decayPerFrame(0.18);
    const float level = 0.3f * note.velocity;
    writeVoice(bus, note, secondsToFrames(0.9), [&](int64_t, float& l, float& r) {
        sine.setFrequency(hz * (1.0 + 0.7 * drop));
        drop *= dropRate;
        amplitude *= fade;
        l = r = sine.next() * amplitude * level;
    });
}
}  // namespace

void renderNote(Instrument instrument, const Note& note, const BusView& bus) {
    switch (instrument) {
    case Instrument::Pad: renderPad(note, bus); break;
    case Instrument::Pluck: renderPluck(note, bus); break;
    case Instrument::Bass: renderBass(note, bus); break;
    case Instrument::Lead: renderLead(note, bus); break;
    case Instrument::Bell: renderBell(note, bus); break;
    case Instrument::Sub: renderSub(note, bus); break;
    case Instrument::Kick: renderKick(note, bus); break;
    case Instrument::Snare: renderSnare(note, bus); break;
    case Instrument::Clap: renderClap(note, bus); break;
    case Instrument::ClosedHat: renderHat(note, bus, 0.028, 0.25, 8000.0, 0.16f); break;
    case Instrument::OpenHat: renderHat(note, bus, 0.2, 1.2, 7000.0, 0.08f); break;
    case Instrument::Shaker: renderShaker(note, bus); break;
    case Instrument::Crash: renderCrash(note, bus); break;
    case Instrument::Riser: renderRiser(note, bus); break;
    case Instrument::Tom: renderTom(note, bus); break;
    }
}

double instrumentTail(Instrument instrument) {
    switch (instrument) {
    case Instrument::Pad: return 1.0 * kReleaseConstants;
    case Instrument::Pluck: return 0.08 * kReleaseConstants;
    case Instrument::Bass: return 0.04 * kReleaseConstants;
    case Instrument::Lead: return 0.3 * kReleaseConstants;
    case Instrument::Bell: return 0.5 * kReleaseConstants + 0.05;
    case Instrument::Sub: return 0.8 * kReleaseConstants;
    case Instrument::Kick: return 1.0;
    case Instrument::Snare: return 0.8;
    case Instrument::Clap: return 0.7;
    case Instrument::ClosedHat: return 0.25;
    case Instrument::OpenHat: return 1.2;
    case Instrument::Shaker: return 0.3;
    case Instrument::Crash: return 12.0;
    case Instrument::Riser: return 0.0;
    case Instrument::Tom: return 0.9;
    }
    return 0.0;
}
