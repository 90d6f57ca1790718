// The message box a user sees: the program installs it as the message-box sink before anything can
// report (services/message_box.h).
#pragma once

void showDesktopMessageBox(const char* text, const char* caption);
