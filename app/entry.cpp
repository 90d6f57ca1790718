// Start-up order: seed the generator, dialog, window, initDemo, main loop.
#include "app/entry.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/main_loop.h"
#include "app/message_box.h"
#include "app/message_box_gtk.h"
#include "app/settings.h"
#include "app/settings_dialog.h"
#include "app/window.h"
#include "demo/init_demo.h"

int runHalvex() {
    setMessageBoxSink(showDesktopMessageBox);
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    const int dialogResult = showSettingsDialog();
    if (dialogResult < 0) {
        std::fprintf(stderr, "halvex: cannot open a display for the settings dialog. Start it from a desktop session.\n");
        return 1;
    }
    if (dialogResult == 0) return 1;

    if (!startVideo()) return 1;
    WindowHandle window = createGLWindow(windowTitle, screenWidth, screenHeight, fullscreen);
    if (!window) {
        stopVideo();
        return 1;
    }
    initDemo(window);
    const int exitCode = runMainLoop();
    stopVideo();
    return exitCode;
}
