// The sky box: six inward-facing quads, each with its own face texture, compiled into one list.
#include "effects/sky_box.h"

#include "image/gl_api.h"

unsigned int skyBoxList = 0;

namespace {
constexpr float half = 40000.0f;
constexpr float lo = 0.005f;  // the inset keeps the faces' edge texels from bleeding across seams
constexpr float hi = 0.995f;

struct SkyFace {
    int slot;          // index into the face images
    float normal[3];
    float corners[4][3];  // at (lo, lo), (hi, lo), (hi, hi), (lo, hi)
};

// In drawing order; seen from inside the cube each face winds clockwise.
const SkyFace skyFaces[6] = {
    {4, {0, 0, 1}, {{-half, -half, half}, {half, -half, half}, {half, half, half}, {-half, half, half}}},
    {1, {0, 0, -1}, {{half, -half, -half}, {-half, -half, -half}, {-half, half, -half}, {half, half, -half}}},
    {3, {0, 1, 0}, {{-half, half, half}, {half, half, half}, {half, half, -half}, {-half, half, -half}}},
    {5, {0, -1, 0}, {{-half, -half, -half}, {half, -half, -half}, {half, -half, half}, {-half, -half, half}}},
    {0, {-1, 0, 0}, {{-half, -half, -half}, {-half, -half, half}, {-half, half, half}, {-half, half, -half}}},
    {2, {1, 0, 0}, {{half, -half, half}, {half, -half, -half}, {half, half, -half}, {half, half, half}}},
};
const float faceTexCoords[4][2] = {{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}};

void drawFace(const SkyFace& face, ImageSlots faceImages) {
    const Image* image = faceImages ? faceImages[face.slot] : nullptr;
    if (glActiveTextureARB) glActiveTextureARB(GL_TEXTURE0_ARB);  // null only without multitexture
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, image ? image->texture : 0);
    glBegin(GL_QUADS);
    glNormal3f(face.normal[0], face.normal[1], face.normal[2]);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(faceTexCoords[i][0], faceTexCoords[i][1]);
        glVertex3f(face.corners[i][0], face.corners[i][1], face.corners[i][2]);
    }
    glEnd();
}
}  // namespace

void buildSkyBox(ImageSlots faceImages) {
    skyBoxList = glGenLists(1);
    if (skyBoxList != 0) {
        glNewList(skyBoxList, GL_COMPILE);
        glDisable(GL_LIGHTING);
        glFrontFace(GL_CW);
        glPushMatrix();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        for (const SkyFace& face : skyFaces) drawFace(face, faceImages);
        glPopMatrix();
        glEnable(GL_LIGHTING);
        glFrontFace(GL_CCW);
        glEndList();
    }
}

void releaseSkyBox() {
    if (skyBoxList != 0) glDeleteLists(skyBoxList, 1);
    skyBoxList = 0;
}
