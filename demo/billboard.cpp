// Billboards take their axes from the modelview matrix as it stands, so they face the camera.
#include "demo/billboard.h"

#include "demo/render_state.h"
#include "demo/scene_textures.h"
#include "image/gl_api.h"

BillboardAxes readBillboardAxes() {
    float m[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return {Vector3{m[0], m[4], m[8]}, Vector3{m[1], m[5], m[9]}};
}

void drawBillboardWithAxes(Vector3 centre, float halfSize, const BillboardAxes& axes) {
    const Vector3 r = axes.right;
    const Vector3 u = axes.up;
    const float s = halfSize;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(centre.x - (r.x + u.x) * s, centre.y - (r.y + u.y) * s, centre.z - (r.z + u.z) * s);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(centre.x + (r.x - u.x) * s, centre.y + (r.y - u.y) * s, centre.z + (r.z - u.z) * s);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(centre.x + (r.x + u.x) * s, centre.y + (r.y + u.y) * s, centre.z + (r.z + u.z) * s);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(centre.x + (u.x - r.x) * s, centre.y + (u.y - r.y) * s, centre.z + (u.z - r.z) * s);
    glEnd();
}

void drawBillboard(Vector3 centre, float halfSize) {
    drawBillboardWithAxes(centre, halfSize, readBillboardAxes());
}

void drawSunGlow(Vector3 centre, float halfSize, float red, float green, float blue) {
    glPushMatrix();
    beginAdditiveOverlay(GL_SRC_COLOR);
    bindSceneImage(sunSlot);
    glColor4f(red, green, blue, 1.0f);
    drawBillboard(centre, halfSize);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}
