// Start-up values of the shared scene state, kept in one place so a reset gives the same values.
#include "demo/scene_state.h"

#include "demo/credits.h"

namespace {
constexpr Vector3 startCameraEye{-2000.0f, 0.0f, 0.0f};
constexpr Vector3 startCameraTarget{0.0f, 0.0f, 0.0f};
constexpr Vector3 startShipPosition{1270.0f, -960.0f, 290.0f};
constexpr Vector3 startModulePosition{380.0f, 150.0f, 0.0f};
constexpr float startLogoZoom = 1.0f;
}  // namespace

Vector3 cameraEye = startCameraEye;
Vector3 cameraTarget = startCameraTarget;
Vector3 shipPosition = startShipPosition;
Vector3 modulePosition = startModulePosition;
const Vector3 particleEye{0.0f, 0.0f, 80.0f};
float logoZoom = startLogoZoom;
float creditsScroll = startCreditsScroll;
float shipSpinAngle = 0.0f;
float shipTurnAngle = 0.0f;
bool effect1Started = false;
bool rockStarted = false;
int moduleSpinAngle = 0;
int spiralAngle = 0;
float spinCarry = 0.0f;
float feedbackCarry = 0.0f;
int orbitLap = 0;
float previousSceneTime = 0.0f;
bool scene2HasRun = false;

void resetSceneState() {
    cameraEye = startCameraEye;
    cameraTarget = startCameraTarget;
    shipPosition = startShipPosition;
    modulePosition = startModulePosition;
    logoZoom = startLogoZoom;
    creditsScroll = startCreditsScroll;
    shipSpinAngle = shipTurnAngle = 0.0f;
    effect1Started = rockStarted = false;
    moduleSpinAngle = spiralAngle = orbitLap = 0;
    spinCarry = feedbackCarry = 0.0f;
    previousSceneTime = 0.0f;
    scene2HasRun = false;
}
