// libFuzzer target for the sound decoders: any bytes as a sound file (WAV, MP3 or whatever libsndfile
// recognises), handed over by path through an in-memory file. What decodes must be one or two channels
// of whole frames within the size limit; what does not must leave the record empty. The chunked stream
// of the same bytes must give whole frames, chunk by chunk, and end.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "fuzz_checks.h"
#include "sound/sound_decoder.h"
#include "sound/sound_stream.h"

namespace {
// Small enough that a file claiming minutes of silence is refused quickly, large enough for the seeds.
constexpr size_t fuzzMaxBytes = size_t{4} << 20;


int memoryFile = -1;
char memoryPath[64];

// Reads at most fuzzMaxBytes through the stream: a file claiming hours must not keep the fuzzer busy.
void checkStream() {
    SoundStream stream;
    if (!stream.open(memoryPath)) return;
    check(stream.channels() == 1 || stream.channels() == 2);
    constexpr size_t chunkFrames = 4096;
    std::vector<int16_t> chunk;
    size_t bytes = 0;
    while (size_t frames = stream.readChunk(chunk, chunkFrames)) {
        check(frames <= chunkFrames && chunk.size() == frames * static_cast<size_t>(stream.channels()));
        bytes += chunk.size() * sizeof(int16_t);
        if (bytes > fuzzMaxBytes) return;
    }
    check(stream.ended() && chunk.empty());
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    memoryFile = memfd_create("sound_fuzz", 0);
    if (memoryFile < 0) std::abort();
    std::snprintf(memoryPath, sizeof memoryPath, "/proc/self/fd/%d", memoryFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (ftruncate(memoryFile, 0) != 0 || pwrite(memoryFile, data, size, 0) != static_cast<ssize_t>(size)) return 0;
    DecodedSound sound;
    sound.channels = 7;   // a failed decode must not leave this behind
    if (decodeSoundFile(memoryPath, sound, fuzzMaxBytes)) {
        check(sound.channels == 1 || sound.channels == 2);
        check(sound.sampleRate > 0);
        check(!sound.samples.empty() && sound.samples.size() % static_cast<size_t>(sound.channels) == 0);
        check(sound.bytes() <= fuzzMaxBytes);
        int64_t sum = 0;
        for (int16_t sample : sound.samples) sum += sample;   // every sample was written
        (void)sum;
    } else {
        check(sound.channels == 0 && sound.sampleRate == 0 && sound.samples.empty());
    }
    checkStream();
    return 0;
}
