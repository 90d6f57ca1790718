// Channel choice: silent channels first, oldest start first, so a long sound is cut off only when all are busy.
#include "sound/channel_pool.h"

namespace {
int oldestWhere(const ChannelUse* channels, int count, bool playing) {
    int best = -1;
    for (int i = 0; i < count; ++i) {
        if (channels[i].playing != playing) continue;
        if (best < 0 || channels[i].startedAt < channels[best].startedAt) best = i;
    }
    return best;
}
}  // namespace

int chooseChannel(const ChannelUse* channels, int count) {
    if (!channels || count <= 0) return -1;
    const int silent = oldestWhere(channels, count, false);
    return silent >= 0 ? silent : oldestWhere(channels, count, true);
}
