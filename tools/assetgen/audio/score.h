// The score: parts (an instrument, its notes and its mixer settings over time) and the tools the
// arrangement writes them with: step patterns, melodies, chord progressions, arpeggios and bass lines.
#pragma once
#include <initializer_list>
#include <vector>

#include "audio/envelopes.h"
#include "audio/instruments.h"

constexpr double kBeat = 0.5;           // seconds: 120 beats a minute throughout
constexpr double kBar = 4 * kBeat;      // seconds: four beats
constexpr double kStep = kBeat / 4;     // seconds: a sixteenth note

// Where the pictures change, in seconds from the start of the music.
constexpr double kSpaceStart = 3.5;     // the title card gives way to the flight through space
constexpr double kClimaxStart = 130.0;  // the zooming motion blur
constexpr double kTerrainStart = 150.0; // the flight over the terrain
constexpr double kCreditsStart = 189.0; // the orbiting logo and the credits
constexpr double kMusicLength = 300.0;  // the last chord has died away well before this

struct Part {
    const char* name = "";
    Instrument instrument = Instrument::Pad;
    std::vector<Note> notes;
    Automation cutoff;         // Hz of a low-pass over the whole part; empty: none
    double resonance = 0.8;    // q of that low-pass
    double lfoPeriod = 0.0;    // seconds of a slow wobble of the cutoff (0: none)
    double lfoDepth = 0.0;     // octaves of that wobble
    Automation level;          // gain over time; empty: 1
    float echoSend = 0.0f;     // into the ping-pong delay
    float roomSend = 0.0f;     // into the reverb
    float duck = 0.0f;         // 0..1: how far the part dips under each kick
};

struct Score {
    std::vector<Part> parts;
    std::vector<double> kicks;   // seconds of every kick, ascending: the ducking follows them
    Automation masterLevel;      // fades of the whole piece
};

inline Part makePart(const char* name, Instrument instrument) {
    Part part;
    part.name = name;
    part.instrument = instrument;
    return part;
}

// The piece, composed once on first use.
const Score& musicScore();

// A chord: its bass root and five tones, lowest first, as voiced on the pad.
struct Chord {
    int root;        // MIDI note for the bass
    int tones[5];    // MIDI notes
};
struct ChordStep {
    const Chord* chord;
    double bars;
};
// A melody note: pitch 0 is a rest.
struct MelodyNote {
    int pitch;
    double beats;
};

// Velocity letters of step patterns: 'X' accent, 'x' normal, 'o' ghost, '.' rest; one letter a sixteenth.
float stepVelocity(char letter);

void addNote(Part& part, double start, double length, float pitch, float velocity, float pan = 0.0f,
             float brightness = 0.0f, float resonance = 0.0f);

// Repeats a pattern of sixteenths from start for the given number of bars; velocities are scaled.
void addSteps(Part& part, double start, int bars, const char* pattern, float pitch, float velocity,
              double noteLength = kStep, float pan = 0.0f);

// Sixteenths (or any step) from start to end with the velocity rising from v0 to v1: a drum roll.
void addRoll(Part& part, double start, double end, double step, float v0, float v1, float pitch = 60.0f);

// A melody from start; notes are held for legato of their length, transposed by semitones.
// Returns the time just after the last note.
double addMelody(Part& part, double start, const std::vector<MelodyNote>& melody, int transpose, float velocity,
                 double legato = 0.92, float brightness = 0.0f, float pan = 0.0f);

// The chords held on a pad, each tone spread across the stereo field, transposed by semitones.
// Returns the end time.
double addChords(Part& part, double start, const std::vector<ChordStep>& steps, float velocity,
                 double overlap = 0.05, int transpose = 0);

// One long root per chord, octaves below the pad: the drone. Returns the end time.
double addRoots(Part& part, double start, const std::vector<ChordStep>& steps, int octave, float velocity);

// Arpeggio over the chords: order holds indexes into the chord's tones extended by octaves ('0'..'9'),
// one per step; brightness and velocity follow their curves over time; notes alternate left and right.
double addArpeggio(Part& part, double start, const std::vector<ChordStep>& steps, const char* order,
                   double step, int transpose, const Automation& brightness, const Automation& velocity,
                   double gate = 0.8, float resonance = 0.0f);

// Bass line over the chords: one letter a sixteenth, 'R' root, 'O' octave up, 'F' fifth, '.' rest;
// a lower-case letter is played softer; gate is the note length in sixteenths; transposed by semitones.
double addBassLine(Part& part, double start, const std::vector<ChordStep>& steps, const char* pattern,
                   const Automation& brightness, double gate = 0.8, float resonance = 0.0f, int transpose = 0);

// The progressions one after the other.
std::vector<ChordStep> joined(std::initializer_list<std::vector<ChordStep>> parts);
