// libFuzzer target for the sound decoder: any bytes as a sound file (WAV, MP3 or whatever libsndfile
// recognises), handed over by path through an in-memory file. What decodes must be one or two channels
// of whole frames within the size limit; what does not must leave the record empty.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

#include "fuzz_checks.h"
#include "sound/sound_decoder.h"

namespace {
// Small enough that a file claiming minutes of silence is refused quickly, large enough for the seeds.
constexpr size_t fuzzMaxBytes = size_t{4} << 20;


int memoryFile = -1;
char memoryPath[64];
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
    return 0;
}
