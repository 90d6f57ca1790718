// Mixes the score: every part's notes into a part bus, the part's filter, level and ducking, then the
// echo and reverb sends, the master fades, the master's tone (a rumble filter and an air shelf) and the
// limiter. Parts are split over two threads, each with its
// own sums, added in a fixed order so the result does not depend on timing.
#include "audio/music.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <utility>

#include "audio/effects.h"
#include "audio/filters.h"
#include "audio/score.h"

namespace {
constexpr double kWarmUpSeconds = 8.0;    // effects run this long before a window so their tails are in it
constexpr int kBlockFrames = 32;          // part filters and levels are updated every this many frames
constexpr float kMasterGain = 1.8f;
constexpr float kCeiling = 0.68f;         // -3.3 dBFS before MP3 encoding, which adds up to 2 dB to peaks
constexpr double kRumbleHz = 38.0;        // below this only a PA's cabinets would move: cut
constexpr double kAirHz = 4000.0;         // above this the shelf lifts the hats, breath and sparkle
constexpr float kAirGain = 0.5f;          // how much of what lies above kAirHz is added again (+3.5 dB)
constexpr double kDuckSeconds = 0.32;     // how long a part takes to come back after a kick

// What one thread accumulates: the dry mix and the two effect sends.
struct Sums {
    StereoBuffer mix;
    std::vector<float> echo, room;
    explicit Sums(size_t frames) : mix(frames), echo(frames, 0.0f), room(frames, 0.0f) {}
};

struct Window {
    int64_t start;    // first frame of the piece in the buffers
    int64_t frames;
};

// The ducking shape after a kick: down at once, back up along a smooth curve.
const std::vector<float>& duckShape() {
    static const std::vector<float> shape = [] {
        std::vector<float> values(static_cast<size_t>(secondsToFrames(kDuckSeconds)));
        for (size_t i = 0; i < values.size(); ++i) {
            const double x = static_cast<double>(i) / values.size();
            values[i] = static_cast<float>(1.0 - (1.0 - x) * (1.0 - x));
        }
        return values;
    }();
    return shape;
}

// Frames of the window that the part can reach, or an empty range.
std::pair<int64_t, int64_t> partRange(const Part& part, const Window& window) {
    const double tail = instrumentTail(part.instrument);
    int64_t first = window.frames, last = 0;
    for (const Note& note : part.notes) {
        const int64_t from = secondsToFrames(note.start) - window.start;
        const int64_t to = secondsToFrames(note.start + note.length + tail) - window.start + 1;
        if (to <= 0 || from >= window.frames) continue;
        first = std::min(first, std::max<int64_t>(0, from));
        last = std::max(last, std::min(window.frames, to));
    }
    // The part's own filter rings a little after its last note.
    if (first < last) last = std::min(window.frames, last + secondsToFrames(0.5));
    return {first, last};
}

void filterPart(const Part& part, StereoBuffer& bus, const Window& window, int64_t first, int64_t last) {
    if (part.cutoff.empty()) return;
    StateVariableFilter left, right;
    for (int64_t block = first; block < last; block += kBlockFrames) {
        const double t = static_cast<double>(window.start + block) / kSampleRate;
        double cutoff = part.cutoff.at(t);
        if (part.lfoPeriod > 0.0) cutoff *= std::exp2(part.lfoDepth * std::sin(kTwoPi * t / part.lfoPeriod));
        left.set(cutoff, part.resonance);
        right.set(cutoff, part.resonance);
        const int64_t end = std::min(last, block + kBlockFrames);
        for (int64_t i = block; i < end; ++i) {
            bus.left[i] = left.lowpass(bus.left[i]);
            bus.right[i] = right.lowpass(bus.right[i]);
        }
    }
}

// Adds the part bus to the sums with its level and ducking.
void mixPart(const Part& part, const StereoBuffer& bus, const std::vector<double>& kicks, const Window& window,
             int64_t first, int64_t last, Sums& sums) {
    const std::vector<float>& shape = duckShape();
    const int64_t shapeFrames = static_cast<int64_t>(shape.size());
    // The last kick at or before the first frame; later ones are met in order.
    auto nextKick = kicks.begin();
    int64_t lastKick = INT64_MIN / 2;
    const auto advanceKicks = [&](int64_t frame) {
        while (nextKick != kicks.end() && secondsToFrames(*nextKick) <= frame) lastKick = secondsToFrames(*nextKick++);
    };
    advanceKicks(window.start + first);
    for (int64_t block = first; block < last; block += kBlockFrames) {
        const double t = static_cast<double>(window.start + block) / kSampleRate;
        const float level = static_cast<float>(part.level.at(t));
        const int64_t end = std::min(last, block + kBlockFrames);
        for (int64_t i = block; i < end; ++i) {
            float gain = level;
            if (part.duck > 0.0f) {
                advanceKicks(window.start + i);
                const int64_t since = window.start + i - lastKick;
                if (since < shapeFrames) gain *= 1.0f - part.duck * (1.0f - shape[since]);
            }
            const float l = bus.left[i] * gain, r = bus.right[i] * gain;
            sums.mix.left[i] += l;
            sums.mix.right[i] += r;
            const float mono = 0.5f * (l + r);
            sums.echo[i] += part.echoSend * mono;
            sums.room[i] += part.roomSend * mono;
        }
    }
}

void renderParts(const Score& score, size_t firstPart, size_t step, const Window& window, Sums& sums) {
    DenormalGuard guard;
    StereoBuffer bus(static_cast<size_t>(window.frames));
    const BusView view{bus.left.data(), bus.right.data(), window.frames, window.start};
    for (size_t p = firstPart; p < score.parts.size(); p += step) {
        const Part& part = score.parts[p];
        const auto [first, last] = partRange(part, window);
        if (first >= last) continue;
        std::fill(bus.left.begin() + first, bus.left.begin() + last, 0.0f);
        std::fill(bus.right.begin() + first, bus.right.begin() + last, 0.0f);
        const double tail = instrumentTail(part.instrument);
        for (const Note& note : part.notes) {
            // Notes wholly outside the window would be computed only to be dropped.
            if (secondsToFrames(note.start) >= window.start + window.frames) continue;
            if (secondsToFrames(note.start + note.length + tail) < window.start) continue;
            renderNote(part.instrument, note, view);
        }
        filterPart(part, bus, window, first, last);
        mixPart(part, bus, score.kicks, window, first, last, sums);
    }
}

void addInto(Sums& into, const Sums& from) {
    for (size_t i = 0; i < into.echo.size(); ++i) {
        into.mix.left[i] += from.mix.left[i];
        into.mix.right[i] += from.mix.right[i];
        into.echo[i] += from.echo[i];
        into.room[i] += from.room[i];
    }
}

void applyMaster(const Score& score, const Window& window, StereoBuffer& mix) {
    for (int64_t block = 0; block < window.frames; block += kBlockFrames) {
        const double t0 = static_cast<double>(window.start + block) / kSampleRate;
        const double t1 = static_cast<double>(window.start + block + kBlockFrames) / kSampleRate;
        const float g0 = static_cast<float>(score.masterLevel.at(t0)) * kMasterGain;
        const float g1 = static_cast<float>(score.masterLevel.at(t1)) * kMasterGain;
        const int64_t end = std::min(window.frames, block + kBlockFrames);
        for (int64_t i = block; i < end; ++i) {
            const float g = g0 + (g1 - g0) * static_cast<float>(i - block) / kBlockFrames;
            mix.left[i] *= g;
            mix.right[i] *= g;
        }
    }
}
// A steep high-pass against sub rumble and a high shelf for air, per channel over the whole window.
void shapeTone(std::vector<float>& channel) {
    StateVariableFilter rumble, rumble2, air;
    rumble.set(kRumbleHz, 0.54);
    rumble2.set(kRumbleHz, 1.31);   // with the first, a fourth-order Butterworth
    air.set(kAirHz, 0.7);
    for (float& sample : channel) {
        const float clean = rumble2.highpass(rumble.highpass(sample));
        sample = clean + kAirGain * air.highpass(clean);
    }
}
}  // namespace

double musicLength() { return kMusicLength; }

StereoBuffer renderMusic(double startSeconds, double endSeconds) {
    const double start = std::clamp(startSeconds, 0.0, kMusicLength);
    const double end = std::clamp(endSeconds, 0.0, kMusicLength);
    if (!(end > start)) return StereoBuffer();
    const Score& score = musicScore();
    const Window window{secondsToFrames(std::max(0.0, start - kWarmUpSeconds)),
                        secondsToFrames(end) - secondsToFrames(std::max(0.0, start - kWarmUpSeconds))};
    const size_t frames = static_cast<size_t>(window.frames);

    Sums sums(frames);
    {
        Sums other(frames);
        std::thread helper([&] { renderParts(score, 1, 2, window, other); });
        renderParts(score, 0, 2, window, sums);
        helper.join();
        addInto(sums, other);
    }

    DenormalGuard guard;
    PingPongDelay echo(3 * kStep, 0.42, 3500.0);
    echo.process(sums.echo.data(), frames, sums.mix, 0.55f);
    Reverb room(0.86, 0.3);
    room.process(sums.room.data(), frames, sums.mix, 1.0f);
    applyMaster(score, window, sums.mix);
    shapeTone(sums.mix.left);
    shapeTone(sums.mix.right);
    limitPeaks(sums.mix, kCeiling, 0.003, 0.15);

    const size_t skip = static_cast<size_t>(secondsToFrames(start) - window.start);
    if (skip == 0) return std::move(sums.mix);
    StereoBuffer out(frames - skip);
    std::copy(sums.mix.left.begin() + skip, sums.mix.left.end(), out.left.begin());
    std::copy(sums.mix.right.begin() + skip, sums.mix.right.end(), out.right.begin());
    return out;
}
