// Message boxes go to the installed sink: the program installs the desktop's modal box at start-up,
// tests a recorder, the capture tool a print. Until then the text goes to standard error, so the
// subsystems that report through boxes need no platform library.
#include "services/message_box.h"

#include <cstdio>

namespace {
MessageBoxSink messageBoxSink = nullptr;
}

void setMessageBoxSink(MessageBoxSink sink) { messageBoxSink = sink; }

void printMessageBoxToStderr(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
}

void showMessageBox(const char* text, const char* caption) {
    if (messageBoxSink) {
        messageBoxSink(text, caption);
        return;
    }
    printMessageBoxToStderr(text, caption);
}
