// The window procedure and the settings dialog's logic, without any toolkit.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/quit_request.h"
#include "services/settings.h"
#include "platform/settings_dialog.h"
#include "platform/window_proc.h"
#include "resources/dialog_template.h"
#include "support/settings_guard.h"

namespace {
using Checks = std::vector<std::pair<int, bool>>;

struct FakeDialog final : DialogControls {
    Checks checks;   // every setChecked call, in order
    int result = -1;
    void setChecked(int controlId, bool on) override { checks.emplace_back(controlId, on); }
    void endDialog(int dialogResult) override { result = dialogResult; }
};

}  // namespace

TEST(SettingsDialog, ControlsChangeTheSettingsAtOnceAndOnlyOkAndKonecEnd) {
    SettingsGuard guard;
    EXPECT_TRUE(screenWidth == 1024 && screenHeight == 768 && fullscreen && soundEnabled) << "start-up settings";
    {
        SCOPED_TRACE("opens on 1024 x 768 whatever the size holds, the check boxes show the flags, OK keeps all");
        screenWidth = 640;
        fullscreen = false;
        FakeDialog dialog;
        EXPECT_FALSE(settingsDialogProc(dialog, DialogMessage::InitDialog, 0));
        EXPECT_EQ(dialog.checks, (Checks{{1002, true}, {fullscreenCheckId, false}, {soundCheckId, true}}));
        EXPECT_TRUE(settingsDialogProc(dialog, DialogMessage::Command, okButtonId));
        EXPECT_EQ(dialog.result, 1);
        EXPECT_TRUE(screenWidth == 640 && screenHeight == 768 && !fullscreen && soundEnabled);
    }
    FakeDialog dialog;
    for (const ResolutionChoice& click : {ResolutionChoice{1004, 1600, 1200}, {1001, 800, 600}, {1003, 1280, 1024},
                                          {1000, 640, 480}, {1002, 1024, 768}}) {
        SCOPED_TRACE(::testing::Message() << "the last resolution clicked wins, here " << click.id);
        dialog.checks.clear();
        EXPECT_TRUE(settingsDialogProc(dialog, DialogMessage::Command, click.id));
        EXPECT_TRUE(screenWidth == click.width && screenHeight == click.height);
        Checks radios;
        for (int id = 1000; id <= 1004; ++id) radios.emplace_back(id, id == click.id);
        EXPECT_EQ(dialog.checks, radios);
    }
    // Each click on a check box inverts its flag.
    for (const auto& [id, flag] : {std::pair{fullscreenCheckId, &fullscreen}, {soundCheckId, &soundEnabled}}) {
        for (bool expected : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "check box " << id << " to " << expected);
            *flag = !expected;
            EXPECT_TRUE(settingsDialogProc(dialog, DialogMessage::Command, id));
            EXPECT_EQ(*flag, expected);
            EXPECT_EQ(dialog.checks.back(), std::pair(id, expected));
        }
    }
    // Unknown ids and messages are not handled; only OK and Konec end the dialog.
    dialog.checks.clear();
    EXPECT_FALSE(settingsDialogProc(dialog, DialogMessage::Command, 999));
    EXPECT_FALSE(settingsDialogProc(dialog, DialogMessage::Command, 1007));
    EXPECT_FALSE(settingsDialogProc(dialog, DialogMessage::Other, okButtonId));
    EXPECT_TRUE(dialog.checks.empty());
    EXPECT_EQ(dialog.result, -1);
    EXPECT_TRUE(settingsDialogProc(dialog, DialogMessage::Command, quitButtonId));
    EXPECT_EQ(dialog.result, 0);
}

TEST(WindowProc, ResizesFollowTheWindowedClientAreaAndEscapeOrCloseAskToQuit) {
    SettingsGuard guard;
    const auto resize = [](int width, int height) { windowProc({WindowMessageKind::Size, width, height, 0}); };
    fullscreen = false;
    resize(900, 500);
    EXPECT_TRUE(screenWidth == 900 && screenHeight == 500 && clientRect.right == 900 && clientRect.bottom == 500);
    // Minimised: a 0 x 0 client area keeps the last real size, so no projection divides by zero.
    resize(0, 0);
    resize(700, 0);
    EXPECT_TRUE(screenWidth == 900 && screenHeight == 500 && clientRect.right == 900 && clientRect.bottom == 500);
    fullscreen = true;
    resize(640, 480);
    EXPECT_TRUE(screenWidth == 900 && screenHeight == 500) << "full screen keeps its mode's size";

    clearQuitRequest();
    for (int key : {65, 0}) windowProc({WindowMessageKind::KeyDown, 0, 0, key});
    windowProc({WindowMessageKind::Paint, 0, 0, 0});
    EXPECT_FALSE(quitRequestPending());
    windowProc({WindowMessageKind::KeyDown, 0, 0, escapeKey});
    EXPECT_TRUE(quitRequestPending());
    clearQuitRequest();
    windowProc({WindowMessageKind::Close, 0, 0, 0});
    EXPECT_TRUE(quitRequestPending());
}
