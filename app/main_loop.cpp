// Frames are rendered back to back; the first quit request ends the loop before another frame.
#include "app/main_loop.h"

#include "app/frame_clock.h"
#include "app/platform_events.h"
#include "demo/shutdown.h"

int runMainLoop() {
    int exitCode = 0;
    for (;;) {
        WindowMessage message;
        const PolledEvent event = pollEvent(message, exitCode);
        if (event == PolledEvent::Quit) break;
        if (event == PolledEvent::Window)
            windowProc(message);
        else
            renderFrame();
    }
    shutdownDemo();
    return exitCode;
}
