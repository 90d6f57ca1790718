// Material, light, fog and overlay set-up shared by start-up and the scenes.
#include "demo/render_state.h"

void setFrontMaterial(const float ambient[4]) {
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, black);
    glMaterialf(GL_FRONT, GL_SHININESS, 10.0f);
    glEnable(GL_COLOR_MATERIAL);   // default tracking: the current colour drives ambient and diffuse
    glEnable(GL_LIGHTING);
}

void setLight(GLenum light, const float ambient[4], const float diffuse[4], const float specular[4],
              const float position[4]) {
    const float spotDirection[3] = {0.0f, 0.0f, 0.0f};
    glLightfv(light, GL_AMBIENT, ambient);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_SPECULAR, specular);
    glLightfv(light, GL_POSITION, position);
    glLightfv(light, GL_SPOT_DIRECTION, spotDirection);
    glEnable(light);
}

void setGreyFog(float density) {
    const float grey[4] = {0.7f, 0.7f, 0.7f, 1.0f};
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogfv(GL_FOG_COLOR, grey);
    glFogf(GL_FOG_DENSITY, density);
    glHint(GL_FOG_HINT, GL_NICEST);
    glFogf(GL_FOG_START, 6000.0f);
    glFogf(GL_FOG_END, 6000.0f);
    glEnable(GL_FOG);
}

void beginAdditiveOverlay(GLenum sourceFactor) {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(sourceFactor, GL_ONE);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
}

void setupTextureUnits() {
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // Unit 1 multiplies what unit 0 produced by the detail texture and doubles it, so a detail texel of
    // 128 leaves the colour as it was.
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_PREVIOUS_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_COLOR);
    glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, 2.0f);
}
