// The demo clock in milliseconds and the timeline that hands each frame to exactly one scene.
#pragma once
#include <cstdint>

extern double demoTime;         // ms since the clock was started at the end of loading
extern double frameTime;        // ms added by the most recent frame
extern double secondsPerCount;  // 1 / counter frequency
extern int64_t lastCount;       // counter value where the current frame interval began

using SceneFunction = int (*)(double sceneMs);

// The four scenes of the timeline; tests may put recorders in their place.
extern SceneFunction timelineScenes[4];

// The timeline's scene (0..3) for a demo time, and the time since that scene's start.
int sceneIndexAt(double ms);
double sceneStartMs(int sceneIndex);

void startDemoClock();
void advanceDemoClock();   // steps 1 to 4 of a frame: read the counter, add the elapsed time
int runTimeline();         // calls the scene for demoTime; returns its index 0..3
void renderFrame();
