// Which of the layer's channels a play request takes.
#pragma once
#include <cstdint>

struct ChannelUse {
    bool playing = false;      // playing or paused; false when never used or its sound has ended
    uint64_t startedAt = 0;    // sequence number of the channel's most recent start, 0 if never started
};

// The channel not playing that was started longest ago (a never-used one first); when every channel
// is playing, the one started longest ago. Ties go to the lowest number. -1 when count is not positive.
int chooseChannel(const ChannelUse* channels, int count);
