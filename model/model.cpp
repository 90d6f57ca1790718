// Loading a model's textures and drawing its objects as lit, textured triangles in immediate mode.
//
// The texture-unit state the draw leaves is that of its last object and carries into the scenes: a
// textured object in single mode leaves unit 1 active, so a following untextured object's disable hits
// unit 1; in detail mode it leaves unit 0 active. That is the demo's own look and is kept.
#include "model/model.h"

#include "image/gl_api.h"
#include "image/texture.h"

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
    for (int i = 0; i < data.objectCount && i < static_cast<int>(data.objects.size()); ++i) drawObject(data.objects[i]);
}

// Position, normal, material coordinates and detail coordinates are all indexed by the same vertex
// number; a corner past the end of a coordinate set sends no coordinate for that set.
void Model::drawObject(const Object3ds& object) const {
    const Image* texture = objectTexture(object);
    const bool detail = texture && detailUsable();
    setUpTextures(texture, detail);

    const std::vector<Vector2>& own = object.texVertices;
    static const std::vector<Vector2> none;
    const std::vector<Vector2>& second = detail && !detailCoords.objects.empty() ? detailCoords.objects[0].texVertices : none;
    const bool sendCoords = texture && !own.empty();
    const bool materialColor = !texture && data.materialCount > 0 && object.materialIndex >= 0 &&
                               object.materialIndex < static_cast<int>(data.materials.size());
    const unsigned char* color = materialColor ? data.materials[object.materialIndex].color : nullptr;

    glBegin(GL_TRIANGLES);
    for (const Face3ds& face : object.faces) {
        if (!faceDrawable(face, object)) continue;
        for (int k : face.vertexIndex) {
            const Vector3& n = object.normals[k];
            glNormal3f(n.x, n.y, n.z);
            const bool hasOwn = sendCoords && k < static_cast<int>(own.size());
            if (hasOwn && detail) {
                glMultiTexCoord2fARB(GL_TEXTURE0_ARB, own[k].u, own[k].v);
                if (k < static_cast<int>(second.size())) glMultiTexCoord2fARB(GL_TEXTURE1_ARB, second[k].u, second[k].v);
            } else if (hasOwn) {
                glTexCoord2f(own[k].u, own[k].v);
            }
            if (color) glColor3ub(color[0], color[1], color[2]);
            const Vector3& p = object.vertices[k];
            glVertex3f(p.x, p.y, p.z);
        }
    }
    glEnd();
}
