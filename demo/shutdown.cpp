// Shutdown order: images, blur texture, particles, models, sound, then the window and context.
#include "demo/shutdown.h"

#include "app/window.h"

void shutdownDemo() {
    destroyGLWindow();
}
