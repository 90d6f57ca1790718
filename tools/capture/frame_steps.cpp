// Frame times and sample counts in integers; doubles appear only in the final division.
#include "frame_steps.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int64_t largestPart = 1000000;   // numerator and denominator, so products stay far below 2^63

bool parseWhole(const std::string& text, int64_t& value) {
    if (text.empty() || text.size() > 7) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    value = std::strtoll(text.c_str(), nullptr, 10);
    return value >= 1 && value <= largestPart;
}
}  // namespace

bool parseFrameRate(const char* text, FrameRate& rate) {
    if (!text) return false;
    const std::string all = text;
    const size_t slash = all.find('/');
    FrameRate parsed;
    if (!parseWhole(all.substr(0, slash), parsed.num)) return false;
    if (slash != std::string::npos && !parseWhole(all.substr(slash + 1), parsed.den)) return false;
    if (parsed.num < parsed.den || parsed.num > 1000 * parsed.den) return false;   // 1 to 1000 frames a second
    rate = parsed;
    return true;
}

std::string frameRateText(const FrameRate& rate) {
    return rate.den == 1 ? std::to_string(rate.num) : std::to_string(rate.num) + "/" + std::to_string(rate.den);
}

double framesPerSecond(const FrameRate& rate) { return static_cast<double>(rate.num) / static_cast<double>(rate.den); }

double frameTimeMs(const FrameRate& rate, int64_t frame) {
    // Both operands are exact below 2^53, so the one division rounds the exact ratio.
    return static_cast<double>(frame * 1000 * rate.den) / static_cast<double>(rate.num);
}

int64_t firstFrameAtOrAfter(const FrameRate& rate, double ms) {
    if (!(ms > 0.0)) return 0;
    // Start from the nearest guess and correct it against the exact frame times.
    int64_t frame = static_cast<int64_t>(std::ceil(ms * static_cast<double>(rate.num) / (1000.0 * rate.den)));
    while (frame > 0 && frameTimeMs(rate, frame - 1) >= ms) --frame;
    while (frameTimeMs(rate, frame) < ms) ++frame;
    return frame;
}

int64_t frameAtExactTime(const FrameRate& rate, double ms) {
    if (!(ms >= 0.0)) return -1;
    // Whole milliseconds are checked in integers; anything else must meet a frame time to a millionth.
    if (ms == std::floor(ms) && ms < 1e12) {
        const int64_t scaled = static_cast<int64_t>(ms) * rate.num;
        const int64_t perFrame = 1000 * rate.den;
        return scaled % perFrame == 0 ? scaled / perFrame : -1;
    }
    const int64_t frame = std::llround(ms * static_cast<double>(rate.num) / (1000.0 * rate.den));
    return std::fabs(frameTimeMs(rate, frame) - ms) <= 1e-6 ? frame : -1;
}

int64_t samplesBeforeFrame(const FrameRate& rate, int sampleRate, int64_t frame) {
    const int64_t twice = 2 * frame * sampleRate * rate.den;
    return (twice + rate.num) / (2 * rate.num);
}
