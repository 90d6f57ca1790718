// An empty slot (loading skipped or a test without images) binds texture 0 instead of reading null.
#include "demo/scene_textures.h"

#include "demo/demo_images.h"
#include "image/gl_api.h"

void bindSceneImage(int slot) {
    const Image* image = (slot >= 0 && slot < sceneImageCount) ? sceneImages[slot] : nullptr;
    glBindTexture(GL_TEXTURE_2D, image ? image->texture : 0);
}
