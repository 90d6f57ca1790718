// Puts the settings, the dialog's first ticked size and the quit request back as a test found them.
#pragma once
#include "platform/quit_request.h"
#include "services/settings.h"
#include "platform/settings_dialog.h"

struct SettingsGuard {
    int width = screenWidth, height = screenHeight, ticked = dialogResolutionId;
    bool full = fullscreen, sound = soundEnabled;
    bool exclusive = exclusiveMode, stretch = stretchPicture, inStep = swapInStep, original = originalAspect;
    int display = displayIndex, colorBits = requestedColorBits;
    ~SettingsGuard() {
        requestedColorBits = colorBits;
        exclusiveMode = exclusive;
        stretchPicture = stretch;
        swapInStep = inStep;
        originalAspect = original;
        displayIndex = display;
        screenWidth = width;
        screenHeight = height;
        fullscreen = full;
        soundEnabled = sound;
        dialogResolutionId = ticked;
        clearQuitRequest();
    }
};
