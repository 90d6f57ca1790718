// The program: settings dialog, window, loading, main loop. Returns the process exit code.
#pragma once

int runHalvex();
