// The four scenes and the demo times at which each takes over; the last one never ends.
#include "demo/timeline.h"

#include <iterator>

#include "demo/scenes.h"

TimelineRow timeline[] = {
    {0.0, drawScene1},
    {130000.0, drawScene2},
    {150000.0, drawScene3},
    {189000.0, drawScene4},
};
const int timelineSceneCount = int(std::size(timeline));

int sceneIndexAt(double ms) {
    int scene = 0;
    while (scene + 1 < timelineSceneCount && ms >= timeline[scene + 1].startMs) ++scene;
    return scene;
}

double sceneStartMs(int sceneIndex) {
    const int last = timelineSceneCount - 1;
    return timeline[sceneIndex < 0 ? 0 : sceneIndex > last ? last : sceneIndex].startMs;
}
