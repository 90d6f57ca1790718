// The logo rectangles, each a single quad with the whole logo texture, compiled once at start-up.
#include "effects/logo.h"

#include "demo/demo_images.h"
#include "image/gl_api.h"

unsigned int orxLogoList = 0;
unsigned int qmLogoList = 0;

namespace {
constexpr float logoScale = 0.0015f;
constexpr int orxLogoSlot = 0;
constexpr int qmLogoSlot = 5;

GLuint slotTexture(int slot) {
    const Image* image = sceneImages ? sceneImages[slot] : nullptr;
    return image ? image->texture : 0;
}

// width x height in the logo's own units, with the whole texture from (0, 0) to (1, 1).
GLuint compileLogo(int slot, float width, float height) {
    const GLuint list = glGenLists(1);
    if (list == 0) return 0;
    glNewList(list, GL_COMPILE);
    glPushMatrix();
    glScalef(logoScale, logoScale, logoScale);
    glEnable(GL_TEXTURE_2D);
    if (glActiveTextureARB) glActiveTextureARB(GL_TEXTURE0_ARB);  // null only without multitexture
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, slotTexture(slot));
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(width, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(width, height);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, height);
    glEnd();
    glPopMatrix();
    glEndList();
    return list;
}
}  // namespace

void buildLogoLists() {
    orxLogoList = compileLogo(orxLogoSlot, 550.0f, 200.0f);
    qmLogoList = compileLogo(qmLogoSlot, 450.0f, 100.0f);
}
