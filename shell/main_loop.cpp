// Frames are rendered back to back; the first quit request ends the loop before another frame.
#include "shell/main_loop.h"

#include "shell/frame_clock.h"
#include "platform/platform_events.h"
#include "platform/quit_request.h"
#include "demo/shutdown.h"

int runMainLoop() {
    int exitCode = 0;
    for (;;) {
        WindowMessage message;
        const PolledEvent event = pollEvent(message, exitCode);
        if (event == PolledEvent::Quit) break;
        if (event == PolledEvent::Window) {
            windowProc(message);
        } else if (quitRequestPending()) {
            // SDL may hold back an event pushed while the last one was handled until the next poll:
            // the request is taken now, so no frame follows it.
            exitCode = pendingQuitExitCode();
            break;
        } else {
            renderFrame();
        }
    }
    shutdownDemo();
    return exitCode;
}
