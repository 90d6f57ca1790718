// The programs' command line: good lines and what they preselect in the settings dialog, bad lines
// refused with the option named, and --help/--version answered with the right exit code.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/command_line.h"
#include "services/settings.h"
#include "platform/settings_dialog.h"
#include "support/settings_guard.h"

namespace {
bool parse(std::vector<const char*> args, CommandLine& commandLine, std::string& error) {
    args.insert(args.begin(), "halvex32");
    return parseCommandLine(static_cast<int>(args.size()), args.data(), commandLine, error);
}

// Parses a line that must be accepted; `text` gets the whole line, to name the case in messages.
::testing::AssertionResult accepted(const std::vector<const char*>& args, CommandLine& commandLine, std::string& text) {
    text.clear();
    for (const char* arg : args) text += (text.empty() ? "" : " ") + std::string(arg);
    if (text.empty()) text = "(none)";
    std::string error;
    if (parse(args, commandLine, error)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << text << ": " << error;
}

struct RecordingDialog final : DialogControls {
    std::vector<std::pair<int, bool>> checks;
    void setChecked(int controlId, bool on) override { checks.emplace_back(controlId, on); }
    void endDialog(int) override {}
    // The resolution buttons ticked after the calls, in id order.
    std::vector<int> tickedSizes() const {
        std::vector<int> ticked;
        for (const ResolutionChoice& choice : resolutionChoices) {
            bool on = false;
            for (const auto& [id, checked] : checks)
                if (id == choice.id) on = checked;
            if (on) ticked.push_back(choice.id);
        }
        return ticked;
    }
    bool checked(int controlId) const {
        bool on = false;
        for (const auto& [id, checked] : checks)
            if (id == controlId) on = checked;
        return on;
    }
};
}  // namespace

TEST(CommandLine, GoodLinesPreselectTheDialogAndNoOptionsChangeNothing) {
    const struct {
        std::vector<const char*> args;
        int width, height;
        bool fullscreen, sound, noDialog;
        std::vector<int> ticked;   // resolution buttons ticked when the dialog opens
    } cases[] = {
        {{}, 1024, 768, true, true, false, {1002}},
        {{"--window", "640x480"}, 640, 480, false, true, false, {1000}},
        {{"--window=800x600", "--no-sound"}, 800, 600, false, false, false, {1001}},
        {{"--fullscreen", "1600x1200"}, 1600, 1200, true, true, false, {1004}},
        {{"--window", "1000x700"}, 1000, 700, false, true, false, {}},
        {{"--no-dialog"}, 1024, 768, true, true, true, {1002}},
        {{"--no-dialog", "--window", "16x16384", "--no-sound"}, 16, 16384, false, false, true, {}},
        {{"--window", "640x480", "--fullscreen", "1280x1024"}, 1280, 1024, true, true, false, {1003}},
        {{"--fullscreen=1280x1024", "--window=1024x768"}, 1024, 768, false, true, false, {1002}},
    };
    for (const auto& c : cases) {
        SettingsGuard guard;
        CommandLine commandLine;
        std::string line;
        ASSERT_TRUE(accepted(c.args, commandLine, line));
        EXPECT_EQ(commandLine.action, CommandLineAction::Run) << line;
        EXPECT_EQ(commandLine.noDialog, c.noDialog) << line;
        applyCommandLine(commandLine);
        EXPECT_EQ(screenWidth, c.width) << line;
        EXPECT_EQ(screenHeight, c.height) << line;
        EXPECT_EQ(fullscreen, c.fullscreen) << line;
        EXPECT_EQ(soundEnabled, c.sound) << line;

        RecordingDialog dialog;
        settingsDialogProc(dialog, DialogMessage::InitDialog, 0);
        EXPECT_EQ(dialog.tickedSizes(), c.ticked) << line;
        EXPECT_EQ(dialog.checked(fullscreenCheckId), c.fullscreen) << line;
        EXPECT_EQ(dialog.checked(soundCheckId), c.sound) << line;
        // OK keeps a size the dialog does not offer.
        settingsDialogProc(dialog, DialogMessage::Command, okButtonId);
        EXPECT_EQ(screenWidth, c.width) << line;
    }
}

TEST(CommandLine, FullScreenAndPresentationOptionsReachTheSettings) {
    const struct {
        std::vector<const char*> args;
        bool exclusive, stretch;
        int display;
        bool inStep, original;
    } cases[] = {
        {{}, false, false, 0, true, false},
        {{"--exclusive"}, true, false, 0, true, false},
        {{"--stretch", "--no-vsync"}, false, true, 0, false, false},
        {{"--display", "1", "--original-aspect"}, false, false, 1, true, true},
        {{"--display=12", "--exclusive", "--fullscreen", "800x600"}, true, false, 12, true, false},
        {{"--display", "2", "--display", "0"}, false, false, 0, true, false},
    };
    for (const auto& c : cases) {
        SettingsGuard guard;
        CommandLine commandLine;
        std::string line;
        ASSERT_TRUE(accepted(c.args, commandLine, line));
        // Set the other way first: applying the line must write every one of them.
        exclusiveMode = !c.exclusive;
        stretchPicture = !c.stretch;
        displayIndex = c.display + 5;
        swapInStep = !c.inStep;
        originalAspect = !c.original;
        applyCommandLine(commandLine);
        EXPECT_EQ(exclusiveMode, c.exclusive) << line;
        EXPECT_EQ(stretchPicture, c.stretch) << line;
        EXPECT_EQ(displayIndex, c.display) << line;
        EXPECT_EQ(swapInStep, c.inStep) << line;
        EXPECT_EQ(originalAspect, c.original) << line;
        EXPECT_TRUE(fullscreen) << line << ": none of them turns full screen off";
    }
}

TEST(CommandLine, BadLinesAreRefusedNamingTheOptionOrSize) {
    const struct {
        std::vector<const char*> args;
        const char* message;   // part of the one-line error
    } cases[] = {
        {{"--frobnicate"}, "unknown option \"--frobnicate\""},
        {{"-x"}, "unknown option \"-x\""},
        {{"demo.cfg"}, "unexpected argument \"demo.cfg\""},
        {{"--window"}, "--window needs a size"},
        {{"--fullscreen"}, "--fullscreen needs a size"},
        {{"--window", "800"}, "bad size \"800\" for --window"},
        {{"--window", "800x"}, "bad size \"800x\""},
        {{"--window", "x600"}, "bad size \"x600\""},
        {{"--window", "800x600x2"}, "bad size \"800x600x2\""},
        {{"--window", "-800x600"}, "bad size \"-800x600\""},
        {{"--window", "+800x600"}, "bad size \"+800x600\""},
        {{"--window", "800X600"}, "bad size \"800X600\""},
        {{"--window", " 800x600"}, "bad size \" 800x600\""},
        {{"--fullscreen", "15x600"}, "bad size \"15x600\" for --fullscreen"},
        {{"--fullscreen", "800x16385"}, "bad size \"800x16385\""},
        {{"--window", "99999999999x600"}, "bad size \"99999999999x600\""},
        {{"--window="}, "bad size \"\" for --window"},
        {{"--no-sound=yes"}, "unknown option \"--no-sound=yes\""},
        {{"--help=all"}, "unknown option \"--help=all\""},
        {{"--window", "640x480", "--bogus"}, "unknown option \"--bogus\""},
        {{"--display"}, "--display needs a number"},
        {{"--display", "-1"}, "bad display \"-1\" for --display"},
        {{"--display", "64"}, "bad display \"64\""},
        {{"--display", "one"}, "bad display \"one\""},
        {{"--display="}, "bad display \"\""},
        {{"--display", "007"}, "bad display \"007\""},
        {{"--exclusive=yes"}, "unknown option \"--exclusive=yes\""},
        {{"--vsync"}, "unknown option \"--vsync\""},
    };
    for (const auto& c : cases) {
        CommandLine commandLine;
        std::string error;
        EXPECT_FALSE(parse(c.args, commandLine, error)) << c.args[0];
        EXPECT_NE(error.find(c.message), std::string::npos) << "got: " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(CommandLine, HelpAndVersionAnswerWithoutStartingAndBadLinesExitWithTwo) {
    SettingsGuard guard;
    const auto answer = [](std::vector<const char*> args, std::string& out, std::string& err) {
        args.insert(args.begin(), "halvex16");
        CommandLine commandLine;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int code = answerCommandLine(static_cast<int>(args.size()), args.data(), 16, commandLine);
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        return code;
    };
    std::string out, err;
    EXPECT_EQ(answer({"--help"}, out, err), 0);
    EXPECT_NE(out.find("usage: halvex16"), std::string::npos) << out;
    for (const char* option : {"--window WxH", "--fullscreen WxH", "--exclusive", "--stretch", "--display N",
                               "--no-vsync", "--original-aspect", "--no-sound", "--no-dialog", "--version"})
        EXPECT_NE(out.find(option), std::string::npos) << option;
    EXPECT_NE(out.find("16-bit colour"), std::string::npos);

    EXPECT_EQ(answer({"--version"}, out, err), 0);
    EXPECT_EQ(out, "halvex16 (ORX Halvex) " HALVEX_TEST_VERSION "\n");
    EXPECT_EQ(answer({"--window", "640x480", "--version", "--help"}, out, err), 0);
    EXPECT_NE(out.find("usage:"), std::string::npos) << "--help wins over --version";

    EXPECT_EQ(answer({"--window", "640x0"}, out, err), 2);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(err, "halvex16: bad size \"640x0\" for --window (WIDTHxHEIGHT, each 16 to 16384 pixels); try --help\n");
    EXPECT_EQ(screenWidth, guard.width) << "a refused line changes no setting";

    EXPECT_EQ(answer({"--window", "800x600", "--no-sound"}, out, err), -1);
    EXPECT_TRUE(out.empty() && err.empty());
    EXPECT_TRUE(screenWidth == 800 && !fullscreen && !soundEnabled);
}
