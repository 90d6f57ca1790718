// Start-up order: seed the generator, find the data, dialog, window, initDemo, main loop.
#include "shell/entry.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "services/data_search.h"
#include "shell/main_loop.h"
#include "services/message_box.h"
#include "platform/message_box_gtk.h"
#include "services/settings.h"
#include "platform/settings_dialog.h"
#include "platform/signals.h"
#include "platform/window.h"
#include "demo/init_demo.h"
#include "image/png_file.h"

namespace {
// The generated icon beside the data found: the build tree's icons/, or an installed tree's icon theme.
// The desktop finds the menu entry's icon through the window's class; this is for task bars that show
// the window's own.
void chooseWindowIcon() {
    for (const char* place : {"icons/hicolor/48x48/apps/halvex.png", "../icons/hicolor/48x48/apps/halvex.png"}) {
        int width = 0, height = 0;
        std::vector<uint8_t> pixels;
        if (readPngRgba(place, 256, width, height, pixels)) {
            setWindowIcon(width, height, std::move(pixels));
            return;
        }
    }
}
}  // namespace

int runHalvex(bool showDialog) {
    installTerminationSignals();
    setMessageBoxSink(showDesktopMessageBox);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    enterDataRoot("halvex" + std::to_string(requestedColorBits));

    const int dialogResult = showDialog ? showSettingsDialog() : 1;
    if (dialogResult < 0) {
        std::fprintf(stderr, "halvex: cannot open a display for the settings dialog. Start it from a desktop session.\n");
        return 1;
    }
    if (takeTerminationRequest()) return 0;   // the dialog was closed by a signal, not by "Konec"
    if (dialogResult == 0) return 1;

    if (!startVideo(VideoDrivers::onScreen)) return 1;
    chooseWindowIcon();
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
