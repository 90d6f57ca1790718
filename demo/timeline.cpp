// The four scenes and the demo times at which each takes over; the last one never ends.
#include "demo/timeline.h"

#include "demo/scenes.h"

SceneFunction timelineScenes[timelineSceneCount] = {drawScene1, drawScene2, drawScene3, drawScene4};

namespace {
constexpr double sceneStartsMs[timelineSceneCount] = {0.0, 130000.0, 150000.0, 189000.0};
}

int sceneIndexAt(double ms) {
    int scene = 0;
    while (scene + 1 < timelineSceneCount && ms >= sceneStartsMs[scene + 1]) ++scene;
    return scene;
}

double sceneStartMs(int sceneIndex) {
    return sceneStartsMs[sceneIndex < 0 ? 0 : sceneIndex >= timelineSceneCount ? timelineSceneCount - 1 : sceneIndex];
}
