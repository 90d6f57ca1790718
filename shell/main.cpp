// halvex16 and halvex32: the same program, asking for a 16-bit or a 32-bit pixel format.
#include "shell/command_line.h"
#include "shell/entry.h"
#include "services/settings.h"

int main(int argc, char** argv) {
    requestedColorBits = HALVEX_COLOR_BITS;
    CommandLine commandLine;
    const int answered = answerCommandLine(argc, argv, requestedColorBits, commandLine);
    if (answered >= 0) return answered;
    return runHalvex(!commandLine.noDialog);
}
