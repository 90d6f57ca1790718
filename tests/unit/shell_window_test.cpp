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
        EXPECT_EQ(dialog.checked, (std::map<int, bool>{{1002, true}, {fullscreenCheckId, false}, {soundCheckId, true}}));
        EXPECT_TRUE(settingsDialogProc(dialog, DialogMessage::Command, okButtonId));
        EXPECT_EQ(dialog.result, 1);
        EXPECT_TRUE(screenWidth == 640 && screenHeight == 768 && !fullscreen && soundEnabled);
    }
    {
        SCOPED_TRACE("the last resolution clicked wins and every radio button is set");
        FakeDialog dialog;
        const ResolutionChoice clicks[] = {{1004, 1600, 1200}, {1001, 800, 600}, {1003, 1280, 1024},
                                           {1000, 640, 480},   {1002, 1024, 768}};
        for (const ResolutionChoice& click : clicks) {
            dialog.setOrder.clear();
            EXPECT_TRUE(settingsDialogProc(dialog, DialogMessage::Command, click.id));
            EXPECT_EQ(screenWidth, click.width) << click.id;
            EXPECT_EQ(screenHeight, click.height) << click.id;
            EXPECT_EQ(dialog.setOrder, (std::vector<int>{1000, 1001, 1002, 1003, 1004}));
            for (int id = 1000; id <= 1004; ++id) EXPECT_EQ(dialog.checked[id], id == click.id) << id;
        }
        EXPECT_EQ(dialog.result, -1);
    }
    {
        SCOPED_TRACE("check boxes invert their flag on every click");
        FakeDialog dialog;
        fullscreen = true;
        for (bool expected : {false, true}) {
            settingsDialogProc(dialog, DialogMessage::Command, fullscreenCheckId);
            EXPECT_EQ(fullscreen, expected);
            EXPECT_EQ(dialog.checked[fullscreenCheckId], expected);
        }
        settingsDialogProc(dialog, DialogMessage::Command, soundCheckId);
        EXPECT_FALSE(soundEnabled);
        EXPECT_FALSE(dialog.checked[soundCheckId]);
        EXPECT_EQ(dialog.result, -1);
    }
    {
        SCOPED_TRACE("unknown ids and messages are not handled; Konec ends with 0");
        FakeDialog dialog;
        EXPECT_FALSE(settingsDialogProc(dialog, DialogMessage::Command, 999));
        EXPECT_FALSE(settingsDialogProc(dialog, DialogMessage::Command, 1007));
        EXPECT_FALSE(settingsDialogProc(dialog, DialogMessage::Other, okButtonId));
        EXPECT_EQ(dialog.result, -1);
        EXPECT_TRUE(dialog.setOrder.empty());
        EXPECT_TRUE(settingsDialogProc(dialog, DialogMessage::Command, quitButtonId));
        EXPECT_EQ(dialog.result, 0);
    }
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
