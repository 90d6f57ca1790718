// Modal message boxes with an OK button and no owner, shown through a sink: the desktop's box
// (showDesktopMessageBox, installed by the program), a recorder in tests, a print in the capture tool.
#pragma once

void showMessageBox(const char* text, const char* caption);

using MessageBoxSink = void (*)(const char* text, const char* caption);
void setMessageBoxSink(MessageBoxSink sink);   // nullptr prints to standard error
void printMessageBoxToStderr(const char* text, const char* caption);
