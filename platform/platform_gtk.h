// GTK is started only for the settings dialog and message boxes.
#pragma once

// Initialises GTK once; false when there is no display to show anything on.
bool startGtk();

// Lets GTK handle what is pending (a closed dialog disappears from the screen at once).
void flushGtkEvents();
