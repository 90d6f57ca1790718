// Option parsing for halvex16 and halvex32. Sizes are strict (digits, "x", digits) so that a typing
// slip is reported instead of becoming some other mode.
#include "shell/command_line.h"

#include <cstdio>
#include <cstring>

#include "services/settings.h"
#include "platform/settings_dialog.h"

#ifndef HALVEX_VERSION
#error "HALVEX_VERSION comes from the project's version in the top CMakeLists.txt"
#endif

namespace {
constexpr int smallestSide = 16;      // pixels; below this no caption is readable
constexpr int largestSide = 16384;    // pixels; beyond any display and any GL driver's limit

bool parseSide(const std::string& text, int& value) {
    if (text.empty() || text.size() > 5) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value >= smallestSide && value <= largestSide;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    return x != std::string::npos && parseSide(text.substr(0, x), width) && parseSide(text.substr(x + 1), height);
}

// "--name value" or "--name=value"; advances i past what it took.
bool takeValue(int argc, const char* const* argv, int& i, const std::string& name, std::string& value) {
    const std::string arg = argv[i];
    if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= argc) return false;
    value = argv[++i];
    return true;
}

bool parseSizeOption(int argc, const char* const* argv, int& i, const std::string& name, bool full,
                     CommandLine& commandLine, std::string& error) {
    std::string value;
    if (!takeValue(argc, argv, i, name, value)) {
        error = name + " needs a size such as 800x600";
        return false;
    }
    int width = 0, height = 0;
    if (!parseSize(value, width, height)) {
        error = "bad size \"" + value + "\" for " + name + " (WIDTHxHEIGHT, each 16 to 16384 pixels)";
        return false;
    }
    commandLine.sizeGiven = true;
    commandLine.width = width;
    commandLine.height = height;
    commandLine.fullscreen = full;
    return true;
}

constexpr int largestDisplay = 63;   // far beyond any desktop; keeps the number a plain small one

bool parseDisplayOption(int argc, const char* const* argv, int& i, CommandLine& commandLine, std::string& error) {
    std::string value;
    if (!takeValue(argc, argv, i, "--display", value)) {
        error = "--display needs a number (0 is the primary display)";
        return false;
    }
    int number = 0;
    bool digits = !value.empty() && value.size() <= 2;
    for (char c : value) {
        if (c < '0' || c > '9') digits = false;
        else number = number * 10 + (c - '0');
    }
    if (!digits || number > largestDisplay) {
        error = "bad display \"" + value + "\" for --display (0 to " + std::to_string(largestDisplay) +
                ", 0 the primary one)";
        return false;
    }
    commandLine.display = number;
    return true;
}

std::string optionName(const std::string& arg) { return arg.substr(0, arg.find('=')); }
}  // namespace

bool parseCommandLine(int argc, const char* const* argv, CommandLine& commandLine, std::string& error) {
    commandLine = CommandLine{};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::string name = optionName(arg);
        if (arg == "--help" || arg == "-h") commandLine.action = CommandLineAction::Help;
        else if (arg == "--version") {
            if (commandLine.action == CommandLineAction::Run) commandLine.action = CommandLineAction::Version;
        } else if (arg == "--no-sound") commandLine.noSound = true;
        else if (arg == "--no-dialog") commandLine.noDialog = true;
        else if (arg == "--exclusive") commandLine.exclusive = true;
        else if (arg == "--stretch") commandLine.stretch = true;
        else if (arg == "--no-vsync") commandLine.noVsync = true;
        else if (arg == "--original-aspect") commandLine.originalAspect = true;
        else if (name == "--display") {
            if (!parseDisplayOption(argc, argv, i, commandLine, error)) return false;
        }
        else if (name == "--window" || name == "--fullscreen") {
            if (!parseSizeOption(argc, argv, i, name, name == "--fullscreen", commandLine, error)) return false;
        } else {
            error = (arg.size() > 1 && arg[0] == '-' ? "unknown option \"" : "unexpected argument \"") + arg + "\"";
            return false;
        }
    }
    return true;
}

void applyCommandLine(const CommandLine& commandLine) {
    if (commandLine.sizeGiven) {
        screenWidth = commandLine.width;
        screenHeight = commandLine.height;
        fullscreen = commandLine.fullscreen;
        dialogResolutionId = noResolutionId;
        for (const ResolutionChoice& choice : resolutionChoices)
            if (choice.width == commandLine.width && choice.height == commandLine.height)
                dialogResolutionId = choice.id;
    }
    if (commandLine.noSound) soundEnabled = false;
    exclusiveMode = commandLine.exclusive;
    stretchPicture = commandLine.stretch;
    displayIndex = commandLine.display;
    swapInStep = !commandLine.noVsync;
    originalAspect = commandLine.originalAspect;
}

std::string usageText(const std::string& program, int colorBits) {
    const std::string bits = std::to_string(colorBits);
    const std::string depth = colorBits == 16 ? "a depth buffer of 24 bits (16 where the driver has no more)"
                                              : "a " + bits + "-bit depth buffer";
    return "usage: " + program + " [options]\n"
           "ORX Halvex, a self-running real-time OpenGL demo with music: a flight through space, a zooming\n"
           "motion blur, a fogged terrain and closing credits. This program asks for " + bits + "-bit colour\n"
           "and " + depth + ". Escape or closing the window ends it.\n"
           "\n"
           "  --window WxH       windowed, the client area W x H pixels (e.g. 800x600)\n"
           "  --fullscreen WxH   full screen, the demo drawn at W x H and scaled to the display with its shape\n"
           "                     kept (black bars at the sides or above and below); the display's own\n"
           "                     resolution never changes\n"
           "  --exclusive        full screen by changing the display mode to W x H instead (X11 only); a mode\n"
           "                     the display does not offer is refused with \"Display Mode Not Compatible\"\n"
           "  --stretch          fill the whole display, ignoring the picture's shape\n"
           "  --display N        the monitor to use, 0 the primary one (default 0)\n"
           "  --no-vsync         do not wait for the display's refresh when showing a frame (for measuring)\n"
           "  --original-aspect  the 3D picture stretched as the demo first drew it (aspect ratio width / height\n"
           "                     rounded down: 1 at 4:3, a third too wide); by default it keeps its true shape\n"
           "  --no-sound         no music and no sound effects\n"
           "  --no-dialog        start at once with these settings (default 1024x768, full screen, sound)\n"
           "  --help             this text\n"
           "  --version          the version\n"
           "Without --no-dialog the settings dialog opens with the chosen settings ticked.\n"
           "The data set is looked for in $HALVEX_DATA_DIR, the working directory, the program's folder\n"
           "and <program's folder>/../share/halvex; the first that holds data/ is used.\n"
           "Exit codes: 0 after Escape or closing the window, 1 when the dialog is cancelled or the window\n"
           "cannot be created, 2 for a bad option.\n";
}

std::string versionText(const std::string& program) { return program + " (ORX Halvex) " HALVEX_VERSION "\n"; }

int answerCommandLine(int argc, const char* const* argv, int colorBits, CommandLine& commandLine) {
    const std::string program = "halvex" + std::to_string(colorBits);
    std::string error;
    if (!parseCommandLine(argc, argv, commandLine, error)) {
        std::fprintf(stderr, "%s: %s; try --help\n", program.c_str(), error.c_str());
        return 2;
    }
    if (commandLine.action == CommandLineAction::Help) {
        std::fputs(usageText(program, colorBits).c_str(), stdout);
        return 0;
    }
    if (commandLine.action == CommandLineAction::Version) {
        std::fputs(versionText(program).c_str(), stdout);
        return 0;
    }
    applyCommandLine(commandLine);
    return -1;
}
