// The instruments of the piece: each renders one note into a stereo bus. A note is rendered from its own
// start whatever part of it the bus covers, so a window of the piece sounds exactly like the same stretch
// of the whole.
#pragma once
#include <cstdint>

#include "audio/dsp.h"

enum class Instrument {
    Pad,         // three detuned saws per note, slow swell; brightness comes from the part's filter
    Pluck,       // saw and square through a snapping low-pass: the arpeggios
    Bass,        // saw through an enveloped low-pass over a sine at the fundamental
    Lead,        // two detuned saws with delayed vibrato
    Bell,        // two-operator FM: bright strike, long ring
    Sub,         // plain sine drone
    Kick,        // sine with a falling pitch
    Snare,       // two damped tones and band-passed noise
    Clap,        // three quick noise bursts and a tail
    ClosedHat,   // high-passed noise, short
    OpenHat,     // high-passed noise, long
    Shaker,      // band-passed noise with a soft attack
    Crash,       // wide high-passed noise with a long decay
    Riser,       // noise through a band-pass sweeping upwards as it swells
    Tom,         // sine with a pitch drop, for fills
};

struct Note {
    double start = 0.0;        // seconds from the start of the piece
    double length = 0.0;       // seconds the key is held
    float pitch = 60.0f;       // MIDI note number (drums: ignored unless tuned)
    float velocity = 1.0f;     // 0..1
    float pan = 0.0f;          // -1 left .. 1 right
    float brightness = 0.0f;   // filter cutoff in Hz for Pluck, Bass and Lead (0: the instrument's own)
    float resonance = 0.0f;    // filter q for Pluck and Bass; the modulator ratio for Bell (0: default)
};

// Where a note lands: the bus covers frames [windowStart, windowStart + frames) of the piece.
struct BusView {
    float* left;
    float* right;
    int64_t frames;
    int64_t windowStart;
};

void renderNote(Instrument instrument, const Note& note, const BusView& bus);

// Seconds past the note's length that the instrument still sounds (its release or decay).
double instrumentTail(Instrument instrument);
