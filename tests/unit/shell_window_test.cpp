// The window procedure and the settings dialog's logic, without any toolkit.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "app/quit_request.h"
#include "app/settings.h"
#include "app/settings_dialog.h"
#include "app/window_proc.h"

namespace {
class FakeDialog final : public DialogControls {
public:
    std::map<int, bool> checked;
    std::vector<int> setOrder;
    int result = -1;
    void setChecked(int controlId, bool on) override {
        checked[controlId] = on;
        setOrder.push_back(controlId);
    }
    void endDialog(int dialogResult) override { result = dialogResult; }
};

struct SettingsGuard {
    int width = screenWidth, height = screenHeight;
    bool full = fullscreen, sound = soundEnabled;
    ~SettingsGuard() {
        screenWidth = width;
        screenHeight = height;
        fullscreen = full;
        soundEnabled = sound;
        clearQuitRequest();
    }
};

WindowMessage sizeMessage(int width, int height) { return {WindowMessageKind::Size, width, height, 0}; }
WindowMessage keyMessage(int key) { return {WindowMessageKind::KeyDown, 0, 0, key}; }
}  // namespace

TEST(SettingsDialog, OpensOnDefaultResolutionAndShowsTheFlags) {
    SettingsGuard guard;
    screenWidth = 640;
    screenHeight = 480;
    fullscreen = false;
    soundEnabled = true;
    FakeDialog dialog;
    EXPECT_FALSE(settingsDialogProc(dialog, DialogMessage::InitDialog, 0));
    EXPECT_TRUE(dialog.checked[1002]);   // always 1024 x 768, whatever the size holds
    EXPECT_FALSE(dialog.checked[fullscreenCheckId]);
    EXPECT_TRUE(dialog.checked[soundCheckId]);
    EXPECT_EQ(dialog.result, -1);
}

TEST(SettingsDialog, OkWithoutTouchingKeepsTheDefaults) {
    SettingsGuard guard;
    FakeDialog dialog;
    settingsDialogProc(dialog, DialogMessage::InitDialog, 0);
    EXPECT_TRUE(settingsDialogProc(dialog, DialogMessage::Command, okButtonId));
    EXPECT_EQ(dialog.result, 1);
    EXPECT_EQ(screenWidth, 1024);
    EXPECT_EQ(screenHeight, 768);
    EXPECT_TRUE(fullscreen);
    EXPECT_TRUE(soundEnabled);
}

TEST(SettingsDialog, LastResolutionClickWinsAndAllRadiosAreSet) {
    SettingsGuard guard;
    FakeDialog dialog;
    EXPECT_TRUE(settingsDialogProc(dialog, DialogMessage::Command, 1004));
    EXPECT_EQ(screenWidth, 1600);
    EXPECT_EQ(screenHeight, 1200);
    dialog.setOrder.clear();
    EXPECT_TRUE(settingsDialogProc(dialog, DialogMessage::Command, 1000));
    EXPECT_EQ(screenWidth, 640);
    EXPECT_EQ(screenHeight, 480);
    EXPECT_EQ(dialog.setOrder, (std::vector<int>{1000, 1001, 1002, 1003, 1004}));
    for (int id = 1000; id <= 1004; ++id) EXPECT_EQ(dialog.checked[id], id == 1000) << id;
    for (const ResolutionChoice& choice : resolutionChoices) {
        settingsDialogProc(dialog, DialogMessage::Command, choice.id);
        EXPECT_EQ(screenWidth, choice.width);
        EXPECT_EQ(screenHeight, choice.height);
    }
}

TEST(SettingsDialog, TogglesInvertAndDoubleToggleRestores) {
    SettingsGuard guard;
    FakeDialog dialog;
    settingsDialogProc(dialog, DialogMessage::InitDialog, 0);
    settingsDialogProc(dialog, DialogMessage::Command, fullscreenCheckId);
    EXPECT_FALSE(fullscreen);
    EXPECT_FALSE(dialog.checked[fullscreenCheckId]);
    settingsDialogProc(dialog, DialogMessage::Command, fullscreenCheckId);
    EXPECT_TRUE(fullscreen);
    EXPECT_TRUE(dialog.checked[fullscreenCheckId]);
    settingsDialogProc(dialog, DialogMessage::Command, soundCheckId);
    EXPECT_FALSE(soundEnabled);
    EXPECT_FALSE(dialog.checked[soundCheckId]);
    EXPECT_EQ(dialog.result, -1);   // nothing ends the dialog but OK and Konec
}

TEST(SettingsDialog, KonecEndsWithZeroAndUnknownIdsAreNotHandled) {
    SettingsGuard guard;
    FakeDialog dialog;
    EXPECT_FALSE(settingsDialogProc(dialog, DialogMessage::Command, 999));
    EXPECT_FALSE(settingsDialogProc(dialog, DialogMessage::Command, 1007));
    EXPECT_FALSE(settingsDialogProc(dialog, DialogMessage::Other, okButtonId));
    EXPECT_EQ(dialog.result, -1);
    EXPECT_TRUE(settingsDialogProc(dialog, DialogMessage::Command, quitButtonId));
    EXPECT_EQ(dialog.result, 0);
}

TEST(WindowProc, WindowedResizesFollowTheClientArea) {
    SettingsGuard guard;
    fullscreen = false;
    windowProc(sizeMessage(900, 500));
    EXPECT_EQ(screenWidth, 900);
    EXPECT_EQ(screenHeight, 500);
    EXPECT_EQ(clientRect.right, 900);
    EXPECT_EQ(clientRect.bottom, 500);
    // Minimised: a 0 x 0 client area keeps the last real size, so no projection divides by zero.
    windowProc(sizeMessage(0, 0));
    EXPECT_EQ(screenWidth, 900);
    EXPECT_EQ(screenHeight, 500);
    windowProc(sizeMessage(700, 0));
    EXPECT_EQ(screenHeight, 500);
}

TEST(WindowProc, FullScreenResizesChangeNothing) {
    SettingsGuard guard;
    fullscreen = true;
    screenWidth = 1024;
    screenHeight = 768;
    windowProc(sizeMessage(640, 480));
    EXPECT_EQ(screenWidth, 1024);
    EXPECT_EQ(screenHeight, 768);
}

TEST(WindowProc, EscapeAndCloseAskToQuitOtherKeysDoNot) {
    SettingsGuard guard;
    clearQuitRequest();
    windowProc(keyMessage(65));
    windowProc(keyMessage(0));
    windowProc({WindowMessageKind::Paint, 0, 0, 0});
    EXPECT_FALSE(quitRequestPending());
    windowProc(keyMessage(escapeKey));
    EXPECT_TRUE(quitRequestPending());
    clearQuitRequest();
    windowProc({WindowMessageKind::Close, 0, 0, 0});
    EXPECT_TRUE(quitRequestPending());
}
