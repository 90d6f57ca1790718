// initDemo: context first, then the render state and the assets, the clock last.
#include "demo/init_demo.h"

#include "app/frame_clock.h"
#include "app/quit_request.h"
#include "app/window_proc.h"

void initDemo(WindowHandle window) {
    windowHandle = window;
    createGLContext();
    // Without a context no GL call may be made; the pending quit request ends the loop at once.
    if (!renderContext && quitRequestPending()) return;
    startDemoClock();
}
