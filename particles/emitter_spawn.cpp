// The emitter spawn timer and interval, set up before the entry point runs.
#include "particles/emitter_spawn.h"

Timer emitterSpawnTimer;
int emitterSpawnInterval = 15000;
