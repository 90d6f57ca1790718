// Modal message boxes with an OK button and no owner. Tests and the capture tool replace the box with a
// sink (a recorder, or a print to standard error).
#pragma once

void showMessageBox(const char* text, const char* caption);

using MessageBoxSink = void (*)(const char* text, const char* caption);
void setMessageBoxSink(MessageBoxSink sink);   // nullptr shows real boxes again
void printMessageBoxToStderr(const char* text, const char* caption);
