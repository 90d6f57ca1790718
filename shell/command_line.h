// The programs' command line: --help and --version answer at once; the other options preselect the
// settings dialog or skip it. Without options the program starts exactly as it always has.
#pragma once
#include <string>

enum class CommandLineAction { Run, Help, Version };

struct CommandLine {
    CommandLineAction action = CommandLineAction::Run;
    bool sizeGiven = false;   // --window or --fullscreen: the last one given counts
    int width = 0, height = 0;   // pixels, meaningful when sizeGiven
    bool fullscreen = true;      // meaningful when sizeGiven
    bool noSound = false;
    bool noDialog = false;
    bool exclusive = false;   // --exclusive: a real display-mode change for full screen
    bool stretch = false;     // --stretch: the picture fills the screen, its shape ignored
    int display = 0;          // --display N: the monitor, 0 the primary one
    bool noVsync = false;     // --no-vsync: frames are shown without waiting for the display
    bool originalAspect = false;   // --original-aspect: the 3D picture stretched as the demo first drew it
};

// Parses argv (argv[0] is the program). On a bad option or size returns false with a one-line message
// naming it in `error`.
bool parseCommandLine(int argc, const char* const* argv, CommandLine& commandLine, std::string& error);

// Writes the preselected settings into the settings the dialog shows (and the dialog's ticked size).
void applyCommandLine(const CommandLine& commandLine);

// The text of --help for the named program (halvex16 or halvex32).
std::string usageText(const std::string& program, int colorBits);

// The text of --version.
std::string versionText(const std::string& program);

// Answers what needs no window: prints help or version (exit code 0) or the error (exit code 2).
// Otherwise applies the preselected settings, leaves the parsed line in `commandLine` and returns -1:
// the program goes on to start the demo.
int answerCommandLine(int argc, const char* const* argv, int colorBits, CommandLine& commandLine);
