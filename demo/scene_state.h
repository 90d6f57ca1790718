// The state the scenes share and carry from frame to frame: camera, object positions, angles,
// once-flags and the credits scroll. Only the scene functions change it.
#pragma once
#include "math/vector.h"

extern Vector3 cameraEye;          // world units; scenes 1, 3 and 4 move it
extern Vector3 cameraTarget;       // world units; scenes 1 and 3
extern Vector3 shipPosition;       // world units; scene 1
extern Vector3 modulePosition;     // world units; scene 1
extern const Vector3 particleEye;  // the particles hang this far in front of the camera
extern float logoZoom;             // scale of the scene-1 logo; grows per frame from 22 s on
extern float creditsScroll;        // screen heights; grows per frame while the credits run
extern float shipSpinAngle;        // degrees about (1, 1, 0)
extern float shipTurnAngle;        // degrees about (1, 0, 1)
extern bool effect1Started;        // the opening effect has been played
extern bool rockStarted;           // the motion-blur scene's effect has been played
extern int moduleSpinAngle;        // whole degrees about (1, 0, 1), scene 2
extern int spiralAngle;            // whole degrees about the viewing axis, scene 2
extern float spinCarry;            // degrees of scene 2's spin not yet taken as a whole-degree step
extern float feedbackCarry;        // 60 Hz frames scene 2 has run through without feeding its trail back
extern int orbitLap;               // laps of the closing orbit already counted

// Scene 2 measures its frame time against its own previous feedback pass; the first call has none.
extern float previousSceneTime;    // ms of scene time at scene 2's previous feedback pass
extern bool scene2HasRun;          // false until scene 2's first call

// Puts every value back to its start-up value (the program never does; tests and tools may).
void resetSceneState();
