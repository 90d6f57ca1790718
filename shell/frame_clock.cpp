// The road of one frame, from the main loop to the demo's timeline and back to the window.
#include "shell/frame_clock.h"

#include "services/demo_clock.h"
#include "platform/window.h"
#include "demo/timeline.h"
#include "image/gl_api.h"

int runTimeline() {
    const int scene = sceneIndexAt(demoTime);
    // Scene 1 is handed the absolute time, which is its own time since it starts at 0.
    timeline[scene].draw(scene == 0 ? demoTime : demoTime - sceneStartMs(scene));
    return scene;
}

void renderFrame() {
    advanceDemoClock();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    runTimeline();
    swapFrame();
}
