// The shared sine table and the denormal guard (the only platform-specific code of the synthesiser).
#include "audio/oscillators.h"

#include <array>
#include <cmath>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

const float* sineTable() {
    static const std::array<float, kSineTableSize + 1> table = [] {
        std::array<float, kSineTableSize + 1> values{};
        for (int i = 0; i <= kSineTableSize; ++i) values[i] = static_cast<float>(std::sin(kTwoPi * i / kSineTableSize));
        values[kSineTableSize] = values[0];
        return values;
    }();
    return table.data();
}

#if defined(__SSE__)
// Flush-to-zero (bit 15) and denormals-are-zero (bit 6) of the SSE control register.
DenormalGuard::DenormalGuard() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | 0x8040u); }
DenormalGuard::~DenormalGuard() { _mm_setcsr(saved_); }
#else
DenormalGuard::DenormalGuard() {}
DenormalGuard::~DenormalGuard() {}
#endif
