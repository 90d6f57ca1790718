// The composition "Ikarie": a quiet title chord, a journey through space that builds in layers and
// changes its harmony every few phrases (a turn, a breakdown, a climb), a climax for the motion blur
// lifted a tone into B minor, a darker searching section over the terrain, warm credits in D major with a
// bridge and a minor interlude that quote the main theme, a cadence and a last chord that rings out after
// the credits. 120 beats a minute; each section's bars count from the moment its pictures start.
#include <algorithm>

#include "audio/score.h"
#include "common/rng.h"

namespace {
// The chords, voiced for the pad (roots for the bass around 40 to 90 Hz).
const Chord kAm9 = {45, {57, 60, 64, 67, 71}};
const Chord kFmaj9 = {41, {53, 57, 60, 64, 67}};
const Chord kCmaj9 = {48, {55, 60, 62, 64, 71}};
const Chord kG6 = {43, {55, 59, 62, 64, 69}};
const Chord kEm7 = {40, {52, 55, 59, 62, 64}};
const Chord kEsus = {40, {52, 57, 59, 64, 71}};
const Chord kE = {40, {52, 56, 59, 64, 68}};
const Chord kDm9 = {38, {50, 53, 57, 60, 64}};
const Chord kBbmaj9 = {46, {50, 53, 57, 58, 60}};
const Chord kGm9 = {43, {50, 55, 58, 62, 65}};
const Chord kA7sus = {45, {52, 57, 62, 64, 67}};
const Chord kA7 = {45, {52, 57, 61, 64, 67}};
const Chord kDmaj9 = {38, {50, 54, 57, 61, 64}};
const Chord kBm9 = {47, {50, 54, 57, 61, 59 + 12}};
const Chord kGmaj9 = {43, {50, 55, 59, 62, 66}};
const Chord kAadd9 = {45, {52, 57, 59, 61, 64}};
const Chord kFsharpSus = {42, {54, 59, 61, 64, 66}};
const Chord kEm9 = {40, {52, 55, 59, 62, 66}};

const std::vector<ChordStep> kJourney = {{&kAm9, 2}, {&kFmaj9, 2}, {&kCmaj9, 2}, {&kG6, 2}};
const std::vector<ChordStep> kJourneyTurn = {{&kFmaj9, 2}, {&kG6, 2}, {&kEm7, 2}, {&kAm9, 2}};
// The second phrase of the groove leans on D minor and the dominant instead of C and G.
const std::vector<ChordStep> kJourneyLean = {{&kAm9, 2}, {&kFmaj9, 2}, {&kDm9, 2}, {&kEsus, 1}, {&kE, 1}};
// The third phrase climbs from F through G to A minor and back up, when the kick arrives.
const std::vector<ChordStep> kJourneyRise = {{&kFmaj9, 2}, {&kG6, 2}, {&kAm9, 2}, {&kEm7, 1}, {&kG6, 1}};
// The breakdown: the theme's opening over F and D minor, far away.
const std::vector<ChordStep> kBreak = {{&kFmaj9, 2}, {&kDm9, 2}, {&kAm9, 2}, {&kEsus, 2}};
// The climb ends on the dominant of B minor, the key of the climax.
const std::vector<ChordStep> kDeparture = {{&kFmaj9, 2}, {&kG6, 2}, {&kEsus, 1}, {&kE, 1}, {&kFsharpSus, 1.25}};
const std::vector<ChordStep> kSearch = {{&kDm9, 4}, {&kBbmaj9, 4}, {&kGm9, 4}, {&kDm9, 4}, {&kA7sus, 2}, {&kA7, 1.5}};
const std::vector<ChordStep> kHome = {{&kDmaj9, 2}, {&kBm9, 2}, {&kGmaj9, 2}, {&kAadd9, 2}};
const std::vector<ChordStep> kHomeMinor = {{&kBm9, 2}, {&kGmaj9, 2}, {&kDmaj9, 2}, {&kAadd9, 2}};
// The song's first half leans towards E minor; its second half is a bridge that rises to B minor.
const std::vector<ChordStep> kHomeLean = {{&kDmaj9, 2}, {&kBm9, 2}, {&kEm9, 2}, {&kA7sus, 1}, {&kA7, 1}};
const std::vector<ChordStep> kHomeBridge = {{&kGmaj9, 2}, {&kEm9, 2}, {&kBm9, 2}, {&kA7sus, 1}, {&kA7, 1}};
const std::vector<ChordStep> kCadence = {{&kGmaj9, 1}, {&kA7sus, 0.5}, {&kA7, 0.5}};

// The space section, bar 0 to 63.25: intro, groove, theme, answer, breakdown, climb.
const std::vector<ChordStep> kSpaceGroove = joined({kJourneyLean, kJourneyRise, kJourney, kJourneyTurn});   // bars 16-48
// The credits, bar 0 to 50: song, bridge, minor interlude, last pass and cadence.
const std::vector<ChordStep> kCreditsSongChords = joined({kHome, kHomeLean, kHomeBridge});      // bars 8-32
const std::vector<ChordStep> kCreditsEnd = joined({kHomeMinor, kHome, kCadence});                // bars 32-50
constexpr int kClimaxKey = 2;   // semitones: the climax is the journey a tone higher, in B minor

// The main theme over Am F C G, and its answer over F G Em Am.
const std::vector<MelodyNote> kTheme = {
    {76, 1.5}, {74, 0.5}, {72, 1}, {76, 1}, {81, 3}, {79, 0.5}, {76, 0.5},
    {77, 1.5}, {76, 0.5}, {72, 1}, {69, 1}, {72, 3}, {0, 1},
    {79, 1.5}, {76, 0.5}, {72, 1}, {79, 1}, {76, 2}, {74, 1}, {72, 1},
    {74, 1.5}, {71, 0.5}, {67, 1}, {74, 1}, {76, 4}};
const std::vector<MelodyNote> kThemeAnswer = {
    {81, 2}, {79, 1}, {77, 1}, {76, 3}, {72, 1},
    {74, 1.5}, {76, 0.5}, {79, 2}, {81, 2}, {79, 1}, {74, 1},
    {76, 1.5}, {79, 0.5}, {83, 1}, {81, 1}, {79, 2}, {76, 2},
    {72, 1}, {74, 1}, {76, 1}, {79, 1}, {81, 4}};
// Above the theme in the climax: long notes that move where the theme holds.
const std::vector<MelodyNote> kCounterLine = {
    {84, 4}, {83, 2}, {81, 2}, {81, 4}, {84, 2}, {88, 2}, {86, 4}, {84, 2}, {79, 2}, {83, 4}, {86, 2}, {83, 2}};
// Over the terrain: a line that keeps asking, over Gm and Dm.
const std::vector<MelodyNote> kSearchLine = {
    {74, 1.5}, {77, 0.5}, {79, 2}, {81, 3}, {79, 1}, {77, 1.5}, {74, 0.5}, {70, 2}, {69, 4},
    {74, 1.5}, {76, 0.5}, {77, 2}, {81, 2}, {84, 1}, {81, 1}, {79, 1.5}, {77, 0.5}, {76, 2}, {74, 4}};
// The credits' song over D Bm G A, twice with a different ending.
const std::vector<MelodyNote> kCreditsSong = {
    {78, 2}, {76, 1}, {74, 1}, {81, 3}, {0, 1}, {78, 1.5}, {76, 0.5}, {74, 1}, {71, 1}, {74, 2}, {73, 2},
    {71, 1}, {74, 1}, {79, 2}, {78, 2}, {76, 1}, {74, 1}, {76, 3}, {73, 1}, {69, 4},
    {78, 2}, {81, 1}, {78, 1}, {76, 2}, {74, 2}, {74, 1.5}, {73, 0.5}, {71, 1}, {74, 1}, {78, 4},
    {79, 1.5}, {78, 0.5}, {76, 1}, {74, 1}, {71, 2}, {74, 2}, {73, 2}, {76, 1}, {73, 1}, {74, 4}};

double spaceBar(double bar) { return kSpaceStart + bar * kBar; }
double climaxBar(double bar) { return kClimaxStart + bar * kBar; }
double terrainBar(double bar) { return kTerrainStart + bar * kBar; }
double creditsBar(double bar) { return kCreditsStart + bar * kBar; }

std::vector<ChordStep> repeated(const std::vector<ChordStep>& steps, int times) {
    std::vector<ChordStep> all;
    for (int i = 0; i < times; ++i) all.insert(all.end(), steps.begin(), steps.end());
    return all;
}

// Pads: one part per section, each with its own filter sweep, so the colour changes with the pictures.
void writePads(Score& score) {
    Part space = makePart("space pad", Instrument::Pad);
    // The title's chord is the journey's first: it swells from silence under the title card.
    addChords(space, 0.0, {{&kAm9, kSpaceStart / kBar}}, 0.55f, 0.3);
    addChords(space, kSpaceStart, joined({kJourney, kJourney, kSpaceGroove, kBreak, kDeparture}), 1.0f);
    space.cutoff = {{0.0, 400.0}, {kSpaceStart, 900.0}, {spaceBar(8), 1600.0}, {spaceBar(16), 2200.0},
                    {spaceBar(32), 3200.0}, {spaceBar(47), 3800.0}, {spaceBar(48), 1000.0}, {spaceBar(52), 1500.0},
                    {spaceBar(63), 7000.0}};
    space.resonance = 1.1;
    space.lfoPeriod = 9.0;
    space.lfoDepth = 0.35;
    space.level = {{0.0, 1.0}, {spaceBar(24), 1.0}, {spaceBar(32), 0.85}};
    space.roomSend = 0.35f;
    space.duck = 0.3f;
    score.parts.push_back(space);

    Part climax = makePart("climax pad", Instrument::Pad);
    addChords(climax, kClimaxStart, kJourney, 1.0f, 0.05, kClimaxKey);
    addChords(climax, kClimaxStart, kJourney, 0.45f, 0.05, kClimaxKey + 12);   // an octave above: the lift
    addChords(climax, climaxBar(8), {{&kAm9, 1.5}}, 0.9f, 0.05, kClimaxKey);
    climax.cutoff = {{kClimaxStart, 7000.0}, {climaxBar(8), 5000.0}, {climaxBar(9.5), 900.0}};
    climax.resonance = 0.9;
    climax.level = {{kClimaxStart, 0.85}};
    climax.roomSend = 0.3f;
    climax.duck = 0.45f;
    score.parts.push_back(climax);

    Part terrain = makePart("terrain pad", Instrument::Pad);
    addChords(terrain, kTerrainStart, kSearch, 0.9f);
    terrain.cutoff = {{kTerrainStart, 800.0}, {terrainBar(10), 1800.0}, {terrainBar(16), 3000.0},
                      {kCreditsStart, 6000.0}};
    terrain.resonance = 1.6;
    terrain.lfoPeriod = 6.0;
    terrain.lfoDepth = 0.6;
    terrain.roomSend = 0.45f;
    score.parts.push_back(terrain);

    Part credits = makePart("credits pad", Instrument::Pad);
    const double cadenceEnd = addChords(credits, kCreditsStart, joined({kHome, kCreditsSongChords, kCreditsEnd}), 0.85f);
    addChords(credits, cadenceEnd, {{&kDmaj9, 3}}, 0.8f);
    credits.cutoff = {{kCreditsStart, 1000.0}, {creditsBar(8), 2200.0}, {creditsBar(24), 3000.0},
                      {creditsBar(32), 1500.0}, {creditsBar(40), 2800.0}, {creditsBar(50), 2000.0},
                      {kMusicLength, 500.0}};
    credits.resonance = 0.9;
    credits.lfoPeriod = 11.0;
    credits.lfoDepth = 0.3;
    credits.roomSend = 0.5f;
    credits.duck = 0.15f;
    score.parts.push_back(credits);
}

// A soft sine on the chord roots where the bass rests: under the opening, the terrain and the last chord.
void writeDrones(Score& score) {
    Part sub = makePart("sub", Instrument::Sub);
    addRoots(sub, kSpaceStart, repeated(kJourney, 2), 0, 0.45f);
    addRoots(sub, kTerrainStart, kSearch, 0, 0.5f);
    addRoots(sub, kCreditsStart, kHome, 0, 0.4f);
    addRoots(sub, creditsBar(50), {{&kDmaj9, 3}}, 0, 0.45f);
    sub.roomSend = 0.05f;
    score.parts.push_back(sub);
}

void writeArpeggios(Score& score) {
    Part arp = makePart("arpeggio", Instrument::Pluck);
    const Automation brightness = {{spaceBar(8), 900.0}, {spaceBar(24), 2000.0}, {spaceBar(47), 3000.0},
                                   {spaceBar(48), 1000.0}, {spaceBar(52), 1300.0}, {spaceBar(63), 4500.0},
                                   {kClimaxStart, 4000.0}, {climaxBar(8), 4500.0}};
    const Automation velocity = {{spaceBar(8), 0.35}, {spaceBar(24), 0.7}, {spaceBar(48), 0.55},
                                 {spaceBar(56), 0.75}, {spaceBar(63), 0.9}, {kClimaxStart, 0.85}};
    // Each phrase of the journey has its own figure: rising, turning, wide, then sparse in the breakdown.
    addArpeggio(arp, spaceBar(8), kJourney, "02457542", 2 * kStep, 12, brightness, velocity);
    addArpeggio(arp, spaceBar(16), kJourneyLean, "02457542", kStep, 12, brightness, velocity);
    addArpeggio(arp, spaceBar(24), kJourneyRise, "0247.7420247.742", kStep, 12, brightness, velocity);
    addArpeggio(arp, spaceBar(32), kJourney, "0425.7425.47", kStep, 12, brightness, velocity);
    addArpeggio(arp, spaceBar(40), kJourneyTurn, "75420247", 2 * kStep, 12, brightness, velocity, 1.3);
    addArpeggio(arp, spaceBar(48), kBreak, "0.4.7...", kStep, 12, brightness, velocity, 1.5);
    addArpeggio(arp, spaceBar(56), kDeparture, "0245754202457542", kStep, 12, brightness, velocity);
    addArpeggio(arp, kClimaxStart, kJourney, "0245754257", kStep, 12 + kClimaxKey, brightness, velocity, 0.9);

    // Over the terrain the arpeggio returns only for the boost: faster and faster, climbing.
    const Automation boostBright = {{terrainBar(16), 1200.0}, {kCreditsStart, 6000.0}};
    const Automation boostVelocity = {{terrainBar(16), 0.3}, {kCreditsStart, 0.9}};
    addArpeggio(arp, terrainBar(16), {{&kA7sus, 2}}, "0123456789", kStep, 12, boostBright, boostVelocity);
    addArpeggio(arp, terrainBar(18), {{&kA7, 1.5}}, "0123456789", kStep / 2, 12, boostBright, boostVelocity);

    // The credits: a gentle eighth-note ripple that rests in the minor interlude.
    const Automation homeBright = {{creditsBar(8), 1300.0}, {creditsBar(32), 2200.0}, {creditsBar(47), 1000.0}};
    const Automation homeVelocity = {{creditsBar(8), 0.3}, {creditsBar(16), 0.45}, {creditsBar(40), 0.4},
                                     {creditsBar(48), 0.15}};
    addArpeggio(arp, creditsBar(8), kCreditsSongChords, "0247", 2 * kStep, 12, homeBright, homeVelocity, 1.2);
    addArpeggio(arp, creditsBar(40), kHome, "4207", 2 * kStep, 12, homeBright, homeVelocity, 1.2);
    arp.echoSend = 0.45f;
    arp.roomSend = 0.2f;
    arp.duck = 0.3f;
    score.parts.push_back(arp);
}

void writeBass(Score& score) {
    Part bass = makePart("bass", Instrument::Bass);
    const Automation bright = {{spaceBar(16), 350.0}, {spaceBar(32), 600.0}, {spaceBar(63), 900.0},
                               {kClimaxStart, 1000.0}};
    addBassLine(bass, spaceBar(16), kSpaceGroove, "..R...R...R...R.", bright, 1.6);
    addBassLine(bass, spaceBar(52), joined({{{&kAm9, 2}, {&kEsus, 2}}, kDeparture}), "..R...R...R...R.", bright, 1.6);
    addBassLine(bass, kClimaxStart, kJourney, ".RRO.RRr.RRO.RRr", bright, 0.85, 0.0f, kClimaxKey);
    addNote(bass, climaxBar(8), kBar * 1.5, 45.0f + kClimaxKey, 0.9f, 0.0f, 400.0f);

    // Over the terrain: a resonant sixteenth pulse whose filter slowly opens, as if scanning.
    const Automation scan = {{terrainBar(2), 250.0}, {terrainBar(10), 600.0}, {terrainBar(16), 1100.0},
                             {terrainBar(18), 1600.0}};
    std::vector<ChordStep> search(kSearch.begin(), kSearch.end());
    search.front().bars -= 2;
    addBassLine(bass, terrainBar(2), search, "RroRRroRRrorRroF", scan, 0.7, 3.2f);

    // The credits: long soft roots, two to a bar; a walking line in the bridge; silent in the interlude.
    const Automation warm = {{creditsBar(8), 450.0}};
    addBassLine(bass, creditsBar(8), joined({kHome, kHomeLean}), "R.......r.....f.", warm, 5.0);
    addBassLine(bass, creditsBar(24), kHomeBridge, "R...o...F...r.o.", warm, 3.0);
    addBassLine(bass, creditsBar(40), joined({kHome, kCadence}), "R.......r.....f.", warm, 5.0);
    addNote(bass, creditsBar(50), kBar * 2, 38.0f, 0.8f, 0.0f, 350.0f);
    bass.level = {{0.0, 0.85}, {kTerrainStart, 0.7}, {kCreditsStart, 0.8}};
    bass.roomSend = 0.04f;
    bass.duck = 0.5f;
    score.parts.push_back(bass);
}

void writeMelodies(Score& score) {
    Part lead = makePart("lead", Instrument::Lead);
    const double answer = addMelody(lead, spaceBar(32), kTheme, 0, 0.75f, 0.92, 2800.0f);
    addMelody(lead, answer, kThemeAnswer, 0, 0.8f, 0.92, 3200.0f);
    addMelody(lead, kClimaxStart, kTheme, kClimaxKey, 1.0f, 0.95, 4200.0f);
    addMelody(lead, kClimaxStart, kTheme, kClimaxKey - 12, 0.6f, 0.95, 2600.0f, -0.2f);
    addMelody(lead, terrainBar(8), kSearchLine, -12, 0.7f, 0.9, 1600.0f);
    addMelody(lead, creditsBar(16), kCreditsSong, 0, 0.55f, 0.9, 2200.0f);
    addMelody(lead, creditsBar(32), kTheme, 2, 0.5f, 0.9, 2000.0f);
    lead.echoSend = 0.3f;
    lead.roomSend = 0.3f;
    score.parts.push_back(lead);

    // A second voice, right of centre, over the theme in the climax and in the credits' minor interlude.
    Part counter = makePart("counter", Instrument::Lead);
    addMelody(counter, kClimaxStart, kCounterLine, kClimaxKey, 0.55f, 0.97, 3500.0f, 0.5f);
    addMelody(counter, creditsBar(32), kCounterLine, kClimaxKey, 0.35f, 0.97, 2500.0f, 0.5f);
    counter.echoSend = 0.4f;
    counter.roomSend = 0.35f;
    score.parts.push_back(counter);

    Part bells = makePart("bells", Instrument::Bell);
    // The title: three soft strikes as the words appear.
    addNote(bells, 0.35, 2.0, 76.0f, 0.35f, -0.3f);
    addNote(bells, 1.35, 2.0, 81.0f, 0.3f, 0.3f);
    addNote(bells, 2.35, 2.0, 83.0f, 0.25f, 0.0f);
    // The breakdown: the theme's opening, far away.
    addMelody(bells, spaceBar(48), std::vector<MelodyNote>(kTheme.begin(), kTheme.begin() + 13), 12, 0.45f, 1.5);
    // The climax: the theme doubled an octave up.
    addMelody(bells, kClimaxStart, kTheme, 12 + kClimaxKey, 0.3f, 1.0);
    // Over the terrain: sonar pings, a call and its answer every two bars.
    for (int bar = 0; bar < 16; bar += 2) {
        addNote(bells, terrainBar(bar), 1.5, 74.0f, 0.55f, -0.4f, 0.0f, 1.41f);
        addNote(bells, terrainBar(bar) + 3 * kStep, 1.5, 81.0f, 0.35f, 0.4f, 0.0f, 1.41f);
    }
    // The credits: a music box over the first bars, the theme in the minor interlude, and the last chord.
    addArpeggio(bells, kCreditsStart, kHome, "0243", kBeat, 12, Automation{}, Automation{{kCreditsStart, 0.3}}, 3.0, 1.0f);
    addMelody(bells, creditsBar(32), kTheme, 14, 0.25f, 1.0);
    addNote(bells, creditsBar(50), 3.0, 62.0f, 0.5f, -0.2f, 0.0f, 1.0f);
    addNote(bells, creditsBar(50) + kBeat, 3.0, 69.0f, 0.35f, 0.2f, 0.0f, 1.0f);
    addNote(bells, creditsBar(50) + 2 * kBeat, 3.0, 73.0f, 0.3f, 0.0f, 0.0f, 1.0f);
    addNote(bells, creditsBar(50) + 3 * kBeat, 3.0, 78.0f, 0.25f, 0.4f, 0.0f, 1.0f);
    // The opening of the journey: stars, high chord tones twinkling at random beats, far left and right.
    Rng rng(0x57A25ull);
    for (int beat = 2; beat < 64; ++beat) {
        if (rng.unit() < 0.45) continue;
        const double at = spaceBar(0) + beat * kBeat + (rng.unit() < 0.3 ? kStep * 2 : 0.0);
        const Chord& chord = *kJourney[static_cast<size_t>(beat / 8) % kJourney.size()].chord;
        const int tone = chord.tones[static_cast<int>(rng.unit() * 5) % 5] + 24;
        addNote(bells, at, 0.8, static_cast<float>(tone), static_cast<float>(rng.range(0.08, 0.22)),
                static_cast<float>(rng.range(-0.8, 0.8)));
    }
    bells.echoSend = 0.5f;
    bells.roomSend = 0.45f;
    score.parts.push_back(bells);
}

void writeDrums(Score& score) {
    Part kick = makePart("kick", Instrument::Kick);
    addSteps(kick, spaceBar(24), 16, "X...X...X...X...", 36.0f, 0.8f);
    addSteps(kick, spaceBar(40), 8, "X...X...X..XX...", 36.0f, 0.8f);
    addSteps(kick, spaceBar(52), 4, "X.......X.......", 36.0f, 0.75f);
    addSteps(kick, spaceBar(56), 6, "X...X...X...X...", 36.0f, 0.85f);
    addSteps(kick, spaceBar(62), 1, "X...X...X.X.X.X.", 36.0f, 0.9f);
    addSteps(kick, kClimaxStart, 8, "X...X...X...X...", 36.0f, 1.0f);
    addSteps(kick, climaxBar(8), 1, "X...............", 36.0f, 1.0f);
    addSteps(kick, terrainBar(8), 8, "X.........X.....", 36.0f, 0.75f);
    addSteps(kick, creditsBar(8), 8, "X.......X.......", 36.0f, 0.6f);
    addSteps(kick, creditsBar(16), 16, "X...X...X...X...", 36.0f, 0.5f);
    addSteps(kick, creditsBar(40), 8, "X...X...X...X...", 36.0f, 0.6f);

    Part clap = makePart("clap", Instrument::Clap);
    addSteps(clap, spaceBar(28), 20, "....X.......X...", 60.0f, 0.7f);
    addSteps(clap, kClimaxStart, 8, "....X.......X...", 60.0f, 0.9f);
    addSteps(clap, creditsBar(16), 16, "........x.......", 60.0f, 0.55f);
    addSteps(clap, creditsBar(40), 8, "....x.......x...", 60.0f, 0.5f);

    Part snare = makePart("snare", Instrument::Snare);
    addRoll(snare, spaceBar(58), spaceBar(60), 2 * kStep, 0.15f, 0.45f);
    addRoll(snare, spaceBar(60), kClimaxStart, kStep, 0.45f, 1.0f);
    addSteps(snare, climaxBar(7), 1, "............xxXX", 60.0f, 0.8f);
    addSteps(snare, terrainBar(10), 6, "........x.......", 60.0f, 0.6f);
    addRoll(snare, terrainBar(18), kCreditsStart, kStep, 0.1f, 0.8f);
    addSteps(snare, creditsBar(39), 1, "........x.x.xxXX", 60.0f, 0.5f);
    addRoll(snare, creditsBar(49), creditsBar(50), kStep, 0.1f, 0.45f);   // into the last chord

    Part hats = makePart("hats", Instrument::ClosedHat);
    addSteps(hats, spaceBar(16), 32, "..x...x...x...x.", 60.0f, 0.8f);
    addSteps(hats, spaceBar(52), 11, "..x...x...x...x.", 60.0f, 0.85f);
    addSteps(hats, kClimaxStart, 8, "x.o.x.o.x.o.x.oo", 60.0f, 0.9f);
    addSteps(hats, terrainBar(8), 10, "..x...x...x...x.", 60.0f, 0.6f);
    addSteps(hats, creditsBar(8), 24, "..o...o...o...o.", 60.0f, 0.65f);
    addSteps(hats, creditsBar(40), 8, "..x...x...x...x.", 60.0f, 0.6f);

    Part openHats = makePart("open hats", Instrument::OpenHat);
    addSteps(openHats, spaceBar(40), 8, "..x...x...x...x.", 60.0f, 0.6f);
    addSteps(openHats, kClimaxStart, 8, "..X...X...X...X.", 60.0f, 0.9f);

    Part shaker = makePart("shaker", Instrument::Shaker);
    addSteps(shaker, spaceBar(24), 24, "xoxoxoxoxoxoxoxo", 60.0f, 0.75f, kStep, 0.3f);
    addSteps(shaker, terrainBar(4), 14, "oxoxoxoxoxoxoxox", 60.0f, 0.6f, kStep, -0.3f);
    addSteps(shaker, creditsBar(8), 24, "x.o.x.o.x.o.x.o.", 60.0f, 0.6f, kStep, 0.25f);
    addSteps(shaker, creditsBar(32), 8, "o.o.o.o.o.o.o.o.", 60.0f, 0.5f, kStep, -0.25f);
    addSteps(shaker, creditsBar(40), 8, "x.o.x.o.x.o.x.o.", 60.0f, 0.6f, kStep, 0.25f);

    Part toms = makePart("toms", Instrument::Tom);
    for (double bar : {47.0, 55.0}) {
        addNote(toms, spaceBar(bar) + 12 * kStep, kStep, 50.0f, 0.6f, 0.3f);
        addNote(toms, spaceBar(bar) + 13 * kStep, kStep, 47.0f, 0.65f, 0.1f);
        addNote(toms, spaceBar(bar) + 14 * kStep, kStep, 43.0f, 0.7f, -0.1f);
        addNote(toms, spaceBar(bar) + 15 * kStep, kStep, 40.0f, 0.75f, -0.3f);
    }

    Part crash = makePart("crash", Instrument::Crash);
    for (double at : {spaceBar(16), spaceBar(24), spaceBar(32), spaceBar(40), spaceBar(48), spaceBar(56)})
        addNote(crash, at, 2.0, 60.0f, 0.6f);
    for (double at : {kClimaxStart, climaxBar(4), climaxBar(8)}) addNote(crash, at, 3.0, 60.0f, 1.0f);
    for (double at : {kCreditsStart, creditsBar(8), creditsBar(24), creditsBar(40)}) addNote(crash, at, 3.0, 60.0f, 0.45f);
    addNote(crash, creditsBar(50), 4.0, 60.0f, 0.35f);

    Part riser = makePart("riser", Instrument::Riser);
    addNote(riser, spaceBar(58), kClimaxStart - spaceBar(58), 60.0f, 1.0f, 0.0f, 9000.0f);
    addNote(riser, terrainBar(15), kCreditsStart - terrainBar(15), 60.0f, 0.8f, 0.0f, 8000.0f);
    addNote(riser, creditsBar(38), 4.0, 60.0f, 0.5f, 0.0f, 7000.0f);

    for (const Note& note : kick.notes) score.kicks.push_back(note.start);
    std::sort(score.kicks.begin(), score.kicks.end());
    kick.roomSend = 0.04f;
    clap.roomSend = 0.3f;
    snare.roomSend = 0.2f;
    hats.echoSend = 0.1f;
    shaker.roomSend = 0.1f;
    toms.roomSend = 0.25f;
    crash.roomSend = 0.2f;
    riser.roomSend = 0.3f;
    openHats.duck = 0.3f;
    for (Part* part : {&kick, &clap, &snare, &hats, &openHats, &shaker, &toms, &crash, &riser})
        score.parts.push_back(*part);
}

Score composeScore() {
    Score score;
    writePads(score);
    writeDrones(score);
    writeArpeggios(score);
    writeBass(score);
    writeMelodies(score);
    writeDrums(score);
    // The music fades in with the title; the climax stands a little above the rest; the last chord rings on
    // after the credits have gone and fades.
    score.masterLevel = {{0.0, 0.0}, {0.6, 0.85}, {kClimaxStart - 2.0, 0.85}, {kClimaxStart, 1.0},
                         {kTerrainStart - 1.0, 1.0}, {kTerrainStart + 1.0, 0.85}, {creditsBar(50) + 4.0, 0.85},
                         {kMusicLength - 0.5, 0.0}};
    return score;
}
}  // namespace

const Score& musicScore() {
    static const Score score = composeScore();
    return score;
}
