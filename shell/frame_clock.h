// One frame: advance the demo clock, clear, hand the frame to the timeline's scene, present it.
#pragma once

int runTimeline();   // calls the scene for demoTime; returns its index 0..3
void renderFrame();
