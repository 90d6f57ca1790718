// The demo's timeline: which scene draws the frame at a demo time. A new scene is a function in
// demo/, declared in demo/scenes.h, and a row of the tables in demo/timeline.cpp.
#pragma once

constexpr int timelineSceneCount = 4;

using SceneFunction = int (*)(double sceneMs);

// The scenes in timeline order; tests may put recorders in their place.
extern SceneFunction timelineScenes[timelineSceneCount];

// The timeline's scene (0..3) for a demo time, and the demo time at which a scene starts.
int sceneIndexAt(double ms);
double sceneStartMs(int sceneIndex);
