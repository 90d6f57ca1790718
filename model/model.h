// A 3DS model as the demo knows it: its data, its material textures, and immediate-mode drawing with
// an optional detail texture on the second texture unit.
#pragma once

#include "image/image.h"
#include "math/matrix.h"
#include "model/model3ds.h"
#include "model/reader3ds.h"

constexpr int modelMaterialSlots = 100;                  // slots 0 .. 99: the texture of material i
constexpr int detailTextureSlot = 100;
constexpr int modelTextureSlots = detailTextureSlot + 1;
// The second coordinate set of the detail texture always comes from this file.
constexpr const char* detailCoordsPath = "data/3ds/teren2.3ds";

class Model {
public:
    int detailMode = 0;        // 1 when the detail texture and the second coordinate set are in use
    Model3ds data;
    Reader3ds reader;
    Model3ds detailCoords;     // only the texture coordinates of its first object are used
    Reader3ds detailReader;
    Image* textures[modelTextureSlots] = {};   // owned; empty slots are null

    Model() = default;
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // Reads the file, makes a texture for every material naming an image (materials 0 to 99), and with a
    // detail name also reads detailCoordsPath and makes the detail texture. A second load starts afresh.
    void load(const char* path, const char* detailName);
    // Draws every object with the current matrices, lighting and colour; an empty model makes no GL call.
    // Faces wholly outside the view volume are left out (they would be clipped away whole), except while
    // a display list is being compiled.
    void draw() const;
    // Releases every texture the model made (all 101 slots) and frees its data; needs the GL context.
    void release();

private:
    const Image* objectTexture(const Object3ds& object) const;
    bool detailUsable() const;
    void setUpTextures(const Image* texture, bool detail) const;
    struct DrawPass {
        Matrix4 clip;    // object to clip coordinates
        bool cull;       // faces wholly outside the view are left out, and the rest go in batches
        bool ditherOn;   // as found, and put back between batches
    };
    void drawObject(const Object3ds& object, const DrawPass& pass) const;
};
