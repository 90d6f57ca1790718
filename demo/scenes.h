// The four scenes of the timeline; each draws the whole frame for the ms since its own start.
#pragma once

int drawScene1(double sceneMs);
int drawScene2(double sceneMs);
int drawScene3(double sceneMs);
int drawScene4(double sceneMs);
