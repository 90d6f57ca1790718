// Loading a model's textures and drawing its objects as lit, textured triangles in immediate mode.
//
// The texture-unit state the draw leaves is that of its last object and carries into the scenes: a
// textured object in single mode leaves unit 1 active, so a following untextured object's disable hits
// unit 1; in detail mode it leaves unit 0 active. That is the demo's own look and is kept.
#include "model/model.h"

#include "image/gl_api.h"
#include "image/texture.h"
#include "model/view_volume.h"

namespace {
// True when all three corners index the vertex and normal arrays; other faces are not drawn.
bool faceDrawable(const Face3ds& face, const Object3ds& object) {
    const int limit = static_cast<int>(object.vertices.size() < object.normals.size() ? object.vertices.size()
                                                                                      : object.normals.size());
    for (int k : face.vertexIndex)
        if (k < 0 || k >= limit) return false;
    return true;
}

GLuint textureName(const Image* image) { return image ? image->texture : 0; }

void setDither(bool on) {
    if (on) glEnable(GL_DITHER);
    else glDisable(GL_DITHER);
}

// Mesa's software renderer sends a whole batch of triangles down its slow clipping path when any one of
// them needs clipping, and it merges consecutive glBegin/glEnd pairs of one kind into one batch unless a
// state change comes between. So the faces go in batches of this many, each closed by turning dithering
// over and back: no pixel is drawn in between, and the slow path takes only the batches that need it.
constexpr int facesPerBatch = 128;

void startNextBatch(bool ditherOn) {
    glEnd();
    setDither(!ditherOn);
    setDither(ditherOn);
    glBegin(GL_TRIANGLES);
}

// Which side of the view volume each vertex of the object being drawn is beyond; reused from draw to draw.
std::vector<OutsideCode> outsideCodes;

// What a corner sends besides its position: its normal, its coordinates in each set that reaches it,
// and the material's colour on untextured objects.
struct CornerAttributes {
    const std::vector<Vector3>& normals;
    const std::vector<Vector2>& own;      // empty when the object is drawn untextured
    const std::vector<Vector2>& second;   // the detail set, empty in single mode
    bool detail;
    const unsigned char* color;

    void send(int k) const {
        const Vector3& n = normals[k];
        glNormal3f(n.x, n.y, n.z);
        if (k < static_cast<int>(own.size())) {
            if (detail) {
                glMultiTexCoord2fARB(GL_TEXTURE0_ARB, own[k].u, own[k].v);
                if (k < static_cast<int>(second.size())) glMultiTexCoord2fARB(GL_TEXTURE1_ARB, second[k].u, second[k].v);
            } else {
                glTexCoord2f(own[k].u, own[k].v);
            }
        }
        if (color) glColor3ub(color[0], color[1], color[2]);
    }
};
}  // namespace

void Model::load(const char* path, const char* detailName) {
    release();
    reader.import(data, path);
    detailMode = 0;
    // Slots are not packed: material i gets slot i. Materials past 99 have no slot and stay untextured.
    for (int i = 0; i < data.materialCount && i < modelMaterialSlots; ++i)
        if (data.materials[i].textureFile[0] != '\0') createImageTexture(textures, data.materials[i].textureFile, i);
    if (!detailName) return;
    detailReader.import(detailCoords, detailCoordsPath);
    detailMode = 1;
    createImageTexture(textures + detailTextureSlot, detailName, 0);
}

void Model::release() {
    for (Image*& slot : textures) {
        if (!slot) continue;
        releaseImage(slot);
        slot = nullptr;
    }
    data.clear();
    detailCoords.clear();
    detailMode = 0;
}

// An object is drawn textured only when its material's slot holds a texture: a material index of -1,
// one past the slots, or a material whose texture was never made (a later group named a material
// without texture) is drawn as an untextured object.
const Image* Model::objectTexture(const Object3ds& object) const {
    if (!object.hasTexture || object.materialIndex < 0 || object.materialIndex >= modelMaterialSlots) return nullptr;
    return textures[object.materialIndex];
}

// Detail drawing needs both multitexture entry points; without them the model is drawn as in single mode.
bool Model::detailUsable() const { return detailMode == 1 && glActiveTextureARB && glMultiTexCoord2fARB; }

void Model::setUpTextures(const Image* texture, bool detail) const {
    if (!texture) {
        glDisable(GL_TEXTURE_2D);   // on whichever unit is active now
        glColor3ub(255, 255, 255);
        return;
    }
    if (detail) {
        glActiveTextureARB(GL_TEXTURE1_ARB);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textureName(textures[detailTextureSlot]));
        glColor3ub(255, 255, 255);
        glActiveTextureARB(GL_TEXTURE0_ARB);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture->texture);
        return;
    }
    // Single mode leaves the colour alone: the caller's colour modulates the texture (fades use it).
    if (glActiveTextureARB) glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture->texture);
    if (glActiveTextureARB) {
        glActiveTextureARB(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
    }
}

void Model::draw() const {
    const int count = data.objectCount < static_cast<int>(data.objects.size()) ? data.objectCount
                                                                               : static_cast<int>(data.objects.size());
    if (count <= 0) return;
    // Compiled into a display list, the faces meet whatever matrices the list is called with: all go in.
    GLint listBeingCompiled = 0;
    glGetIntegerv(GL_LIST_INDEX, &listBeingCompiled);
    const DrawPass pass{currentClipMatrix(), listBeingCompiled == 0, glIsEnabled(GL_DITHER) == GL_TRUE};
    for (int i = 0; i < count; ++i) drawObject(data.objects[i], pass);
}

// Position, normal, material coordinates and detail coordinates are all indexed by the same vertex
// number; a corner past the end of a coordinate set sends no coordinate for that set.
void Model::drawObject(const Object3ds& object, const DrawPass& pass) const {
    const Image* texture = objectTexture(object);
    const bool detail = texture && detailUsable();
    setUpTextures(texture, detail);

    static const std::vector<Vector2> none;
    const bool materialColor = !texture && data.materialCount > 0 && object.materialIndex >= 0 &&
                               object.materialIndex < static_cast<int>(data.materials.size());
    const CornerAttributes corner{
        object.normals,
        texture && !object.texVertices.empty() ? object.texVertices : none,
        detail && !detailCoords.objects.empty() ? detailCoords.objects[0].texVertices : none,
        detail,
        materialColor ? data.materials[object.materialIndex].color : nullptr,
    };
    if (pass.cull) computeOutsideCodes(pass.clip, object.vertices, outsideCodes);

    const Face3ds* lastDrawable = nullptr;
    bool lastSent = false;
    int facesInBatch = 0;
    glBegin(GL_TRIANGLES);
    for (const Face3ds& face : object.faces) {
        if (!faceDrawable(face, object)) continue;
        const int* k = face.vertexIndex;
        lastDrawable = &face;
        lastSent = !pass.cull || !triangleOutside(outsideCodes[k[0]], outsideCodes[k[1]], outsideCodes[k[2]]);
        if (!lastSent) continue;
        if (pass.cull && ++facesInBatch > facesPerBatch) {
            startNextBatch(pass.ditherOn);
            facesInBatch = 1;
        }
        for (int index : face.vertexIndex) {
            corner.send(index);
            const Vector3& p = object.vertices[index];
            glVertex3f(p.x, p.y, p.z);
        }
    }
    glEnd();
    // A face left out would still have left its last corner's normal, coordinates and colour current.
    if (lastDrawable && !lastSent) corner.send(lastDrawable->vertexIndex[2]);
}
