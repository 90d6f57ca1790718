// The music is decoded to its end rather than trusting the header's frame count, which libsndfile can
// get wrong for MP3.
#include "demo_end.h"

#include <sndfile.h>

#include <algorithm>
#include <vector>

#include "demo/credits_exit.h"

namespace {
constexpr const char* musicPath = "data/sound/ikarie.mp3";
constexpr int64_t longestRunFrames = int64_t{1} << 31;   // a bound on the replay, far past any credits
}  // namespace

double musicLengthMs(const char* path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file) return 0.0;
    if (info.samplerate <= 0 || info.channels <= 0 || info.channels > 8) {
        sf_close(file);
        return 0.0;
    }
    std::vector<short> chunk(static_cast<size_t>(4096) * info.channels);
    int64_t frames = 0;
    for (sf_count_t got; (got = sf_readf_short(file, chunk.data(), 4096)) > 0;) frames += got;
    sf_close(file);
    return static_cast<double>(frames) * 1000.0 / info.samplerate;
}

DemoEnd findDemoEnd() {
    const FrameRate reference{60, 1};
    DemoEnd end;
    end.musicEndMs = musicLengthMs(musicPath);
    const int64_t gone =
        firstFrameWithoutCredits([&](int64_t k) { return frameTimeMs(reference, k); }, longestRunFrames);
    end.creditsGoneMs = gone >= 0 ? frameTimeMs(reference, gone) : 0.0;
    const double afterCredits = gone >= 0 ? frameTimeMs(reference, gone + 1) : 0.0;
    end.endMs = std::max(end.musicEndMs, afterCredits);
    return end;
}
