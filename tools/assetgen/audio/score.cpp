// The writing tools of the arrangement: they turn patterns, melodies and progressions into notes.
#include "audio/score.h"

#include <cstring>

float stepVelocity(char letter) {
    switch (letter) {
    case 'X': return 1.0f;
    case 'x': return 0.7f;
    case 'o': return 0.42f;
    default: return 0.0f;
    }
}

void addNote(Part& part, double start, double length, float pitch, float velocity, float pan, float brightness,
             float resonance) {
    Note note;
    note.start = start;
    note.length = length;
    note.pitch = pitch;
    note.velocity = velocity;
    note.pan = pan;
    note.brightness = brightness;
    note.resonance = resonance;
    part.notes.push_back(note);
}

void addSteps(Part& part, double start, int bars, const char* pattern, float pitch, float velocity, double noteLength,
              float pan) {
    const size_t length = std::strlen(pattern);
    if (length == 0) return;
    const size_t total = static_cast<size_t>(bars) * 16;
    for (size_t i = 0; i < total; ++i) {
        const float v = stepVelocity(pattern[i % length]);
        if (v > 0.0f) addNote(part, start + i * kStep, noteLength, pitch, v * velocity, pan);
    }
}

void addRoll(Part& part, double start, double end, double step, float v0, float v1, float pitch) {
    const int count = static_cast<int>((end - start) / step + 0.5);
    for (int i = 0; i < count; ++i) {
        const float f = count > 1 ? static_cast<float>(i) / (count - 1) : 1.0f;
        addNote(part, start + i * step, step, pitch, v0 + (v1 - v0) * f);
    }
}

double addMelody(Part& part, double start, const std::vector<MelodyNote>& melody, int transpose, float velocity,
                 double legato, float brightness, float pan) {
    double time = start;
    for (const MelodyNote& m : melody) {
        const double length = m.beats * kBeat;
        if (m.pitch > 0) addNote(part, time, length * legato, static_cast<float>(m.pitch + transpose), velocity, pan, brightness);
        time += length;
    }
    return time;
}

double addChords(Part& part, double start, const std::vector<ChordStep>& steps, float velocity, double overlap,
                 int transpose) {
    static const float spread[5] = {-0.5f, 0.45f, -0.2f, 0.25f, 0.0f};
    double time = start;
    for (const ChordStep& step : steps) {
        const double length = step.bars * kBar;
        for (int i = 0; i < 5; ++i)
            addNote(part, time, length + overlap, static_cast<float>(step.chord->tones[i] + transpose), velocity,
                    transpose == 0 ? spread[i] : -spread[i]);
        time += length;
    }
    return time;
}

double addRoots(Part& part, double start, const std::vector<ChordStep>& steps, int octave, float velocity) {
    double time = start;
    for (const ChordStep& step : steps) {
        const double length = step.bars * kBar;
        addNote(part, time, length, static_cast<float>(step.chord->root + 12 * octave), velocity);
        time += length;
    }
    return time;
}

namespace {
int extendedTone(const Chord& chord, int index) { return chord.tones[index % 5] + 12 * (index / 5); }
}  // namespace

double addArpeggio(Part& part, double start, const std::vector<ChordStep>& steps, const char* order, double step,
                   int transpose, const Automation& brightness, const Automation& velocity, double gate,
                   float resonance) {
    const size_t length = std::strlen(order);
    double time = start;
    size_t counter = 0;
    for (const ChordStep& chordStep : steps) {
        const double end = time + chordStep.bars * kBar;
        const int count = static_cast<int>(chordStep.bars * kBar / step + 0.5);
        for (int i = 0; i < count; ++i, ++counter) {
            const double at = time + i * step;
            const char c = order[counter % length];
            if (c < '0' || c > '9') continue;
            const int pitch = extendedTone(*chordStep.chord, c - '0') + transpose;
            const float pan = (counter % 2 == 0) ? -0.35f : 0.35f;
            addNote(part, at, step * gate, static_cast<float>(pitch), static_cast<float>(velocity.at(at)), pan,
                    static_cast<float>(brightness.at(at)), resonance);
        }
        time = end;
    }
    return time;
}

double addBassLine(Part& part, double start, const std::vector<ChordStep>& steps, const char* pattern,
                   const Automation& brightness, double gate, float resonance, int transpose) {
    const size_t length = std::strlen(pattern);
    double time = start;
    size_t counter = 0;
    for (const ChordStep& chordStep : steps) {
        const int count = static_cast<int>(chordStep.bars * 16 + 0.5);
        for (int i = 0; i < count; ++i, ++counter) {
            const char c = pattern[counter % length];
            int offset = 0;
            switch (c | 0x20) {   // lower case: softer
            case 'r': offset = 0; break;
            case 'o': offset = 12; break;
            case 'f': offset = 7; break;
            default: continue;
            }
            const float velocity = (c >= 'a') ? 0.6f : 1.0f;
            const double at = time + i * kStep;
            addNote(part, at, kStep * gate, static_cast<float>(chordStep.chord->root + offset + transpose), velocity, 0.0f,
                    static_cast<float>(brightness.at(at)), resonance);
        }
        time += chordStep.bars * kBar;
    }
    return time;
}

std::vector<ChordStep> joined(std::initializer_list<std::vector<ChordStep>> parts) {
    std::vector<ChordStep> all;
    for (const std::vector<ChordStep>& steps : parts) all.insert(all.end(), steps.begin(), steps.end());
    return all;
}
