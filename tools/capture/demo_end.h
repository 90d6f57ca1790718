// Where the whole demo ends for a capture: when the music has ended and the last credit line has left
// the screen, whichever is later. Both are moments of the demo's own clock, the same at every frame rate
// (the credits move by the demo time each frame spans); the credits' moment is found on 60 Hz frames.
#pragma once
#include "frame_steps.h"

struct DemoEnd {
    double musicEndMs = 0.0;     // length of data/sound/ikarie.mp3; 0 when it cannot be read
    double creditsGoneMs = 0.0;  // time of the first 60 Hz frame that shows no credit line
    double endMs = 0.0;          // the run's end, exclusive: one 60 Hz frame past that moment
};

// The music's length in ms, decoded from the file in bounded chunks; 0 when the file cannot be read.
double musicLengthMs(const char* path);

// Reads the music from the working directory (the data root).
DemoEnd findDemoEnd();
