// Message boxes through SDL, which needs no initialised video subsystem for a simple box.
#include "app/message_box.h"

#include <SDL.h>
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
    // With no display there is nobody to answer the box: say it on standard error instead.
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr) != 0)
        printMessageBoxToStderr(text, caption);
}
