// The dialog opens on 1024 x 768 whatever the current size, unless the command line chose one; the
// check boxes show the flags.
#include "platform/settings_dialog.h"

#include "services/settings.h"

const ResolutionChoice resolutionChoices[5] = {
    {1000, 640, 480}, {1001, 800, 600}, {1002, 1024, 768}, {1003, 1280, 1024}, {1004, 1600, 1200},
};

int dialogResolutionId = 1002;

namespace {
void chooseResolution(DialogControls& dialog, int controlId) {
    for (const ResolutionChoice& choice : resolutionChoices) {
        if (choice.id == controlId) {
            screenWidth = choice.width;
            screenHeight = choice.height;
        }
    }
    for (const ResolutionChoice& choice : resolutionChoices) dialog.setChecked(choice.id, choice.id == controlId);
}
}  // namespace

bool settingsDialogProc(DialogControls& dialog, DialogMessage message, int controlId) {
    if (message == DialogMessage::InitDialog) {
        if (dialogResolutionId == noResolutionId) {
            for (const ResolutionChoice& choice : resolutionChoices) dialog.setChecked(choice.id, false);
        } else {
            dialog.setChecked(dialogResolutionId, true);
        }
        dialog.setChecked(fullscreenCheckId, fullscreen);
        dialog.setChecked(soundCheckId, soundEnabled);
        return false;
    }
    if (message != DialogMessage::Command) return false;

    switch (controlId) {
    case okButtonId:
        dialog.endDialog(1);
        return true;
    case quitButtonId:
        dialog.endDialog(0);
        return true;
    case fullscreenCheckId:
        fullscreen = !fullscreen;
        dialog.setChecked(fullscreenCheckId, fullscreen);
        return true;
    case soundCheckId:
        soundEnabled = !soundEnabled;
        dialog.setChecked(soundCheckId, soundEnabled);
        return true;
    default:
        if (controlId >= firstResolutionId && controlId < firstResolutionId + 5) {
            chooseResolution(dialog, controlId);
            return true;
        }
        return false;
    }
}
