// Shutdown order: scene and sky images, the blur texture, the display lists, the particles, the models,
// the sound (only when it was enabled), then the context, the display mode and the window.
#include "demo/shutdown.h"

#include "services/settings.h"
#include "platform/window.h"
#include "demo/demo_images.h"
#include "effects/font.h"
#include "effects/logo.h"
#include "effects/overlays.h"
#include "effects/sky_box.h"
#include "image/gl_api.h"
#include "image/texture.h"
#include "model/demo_models.h"
#include "particles/particle_system.h"
#include "sound/sound.h"

namespace {
void releaseSlots(ImageSlots slots, int count) {
    for (int slot = 0; slot < count; ++slot) {
        if (!slots[slot]) continue;
        releaseImage(slots[slot]);
        slots[slot] = nullptr;
    }
}
}  // namespace

void shutdownDemo() {
    // Without a context nothing was loaded, and no GL call may be made.
    if (renderContext) {
        releaseSlots(sceneImages, sceneImageCount);
        releaseSlots(skyImages, skyImageCount);
        glDeleteTextures(1, &blurTexture);
        releaseFont();
        releaseSkyBox();
        releaseLogoLists();
    }
    particleSystem.clear();
    if (renderContext) {
        spaceModel.release();
        shipModel.release();
        moduleModel.release();
        terrainModel.release();
        logoModel.release();
    }
    if (soundEnabled) releaseSound();
    destroyGLWindow();
}
