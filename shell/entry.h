// The program: data search, settings dialog, window, loading, main loop. Returns the process exit code.
#pragma once

// showDialog false (--no-dialog) starts with the settings as they are, as if OK had been pressed.
int runHalvex(bool showDialog = true);
