// Scene 1's clock for new emitters: it runs from process start, through the dialog and the loading.
#pragma once
#include "particles/timer.h"

extern Timer emitterSpawnTimer;    // constructed (and so started) before the entry point
extern int emitterSpawnInterval;   // ms between new emitters in scene 1
