// The demo's timeline: which scene draws the frame at a demo time. A new scene is a function in
// demo/, declared in demo/scenes.h, and a row of the table in demo/timeline.cpp.
#pragma once

using SceneFunction = int (*)(double sceneMs);

struct TimelineRow {
    double startMs;       // demo time at which the scene takes over, milliseconds
    SceneFunction draw;   // handed the time since startMs; tests may put a recorder in its place
};

// The scenes in timeline order, each starting where the one before ends; the last one never ends.
extern TimelineRow timeline[];
extern const int timelineSceneCount;

// The timeline's scene (0 for the first) for a demo time, and the demo time at which a scene starts.
int sceneIndexAt(double ms);
double sceneStartMs(int sceneIndex);
