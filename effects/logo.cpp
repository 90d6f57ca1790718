// The logo rectangles, each a single quad with the whole logo texture, compiled once at start-up.
#include "effects/logo.h"

#include <initializer_list>

#include "image/gl_api.h"

unsigned int orxLogoList = 0;
unsigned int qmLogoList = 0;

namespace {
constexpr float logoScale = 0.0015f;

// width x height in the logo's own units, with the whole texture from (0, 0) to (1, 1).
GLuint compileLogo(const Image* logo, float width, float height) {
    const GLuint list = glGenLists(1);
    if (list == 0) return 0;
    glNewList(list, GL_COMPILE);
    glPushMatrix();
    glScalef(logoScale, logoScale, logoScale);
    glEnable(GL_TEXTURE_2D);
    if (glActiveTextureARB) glActiveTextureARB(GL_TEXTURE0_ARB);  // null only without multitexture
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, logo ? logo->texture : 0);
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

void buildLogoLists(const Image* orxLogo, const Image* qmLogo) {
    orxLogoList = compileLogo(orxLogo, 550.0f, 200.0f);
    qmLogoList = compileLogo(qmLogo, 450.0f, 100.0f);
}

void releaseLogoLists() {
    for (unsigned int* list : {&orxLogoList, &qmLogoList}) {
        if (*list != 0) glDeleteLists(*list, 1);
        *list = 0;
    }
}
