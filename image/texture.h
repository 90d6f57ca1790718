// OpenGL textures from image files: mipmapped image textures kept in slot tables, and TGA sprite
// textures kept in growing texture lists. All of it needs the demo's GL context to be current.
#pragma once
#include <cstdint>

#include "image/gl_api.h"
#include "image/image.h"

// Where createImageTexture and createImageTextureWithAlpha look for their files.
constexpr const char* textureDirectory = "data/textury/";

// Decodes textureDirectory + fileName with Image::load into a new Image in slots[index] (the slot's
// previous image is not released) and gives it a mipmapped RGB texture: repeat wrapping, modulate
// environment, trilinear filtering, the driver's maximum anisotropy. An image without pixels still gets
// its texture name but no texture image.
void createImageTexture(ImageSlots slots, const char* fileName, int index);
// The same with Image::loadWithAlpha and an RGBA texture; wrapping and environment are left alone.
void createImageTextureWithAlpha(ImageSlots slots, const char* fileName, int index);
// Deletes the image's texture and frees its pixels, palette and the record. Null is accepted.
void releaseImage(Image* image);

// Status codes of TgaTexture (1000 to 1003 stored by reading, 1, 1004 and 1005 returned by upload).
enum TextureStatus : int {
    TEX_OK = 1,
    TEX_ERR_OPEN = 1000,
    TEX_ERR_TYPE = 1001,
    TEX_ERR_DEPTH = 1002,
    TEX_ERR_READ = 1003,
    TEX_ERR_NO_PIXELS = 1004,
    TEX_ERR_SIZE = 1005,
};

// True for 1, 2, 4 ... 1024.
bool isTextureSize(int n);

// Loads an uncompressed 8-, 24- or 32-bit TGA (true colour or greyscale) and uploads it with the
// parameters held in its fields. Lives for one TextureList::addTga call.
class TgaTexture {
public:
    int32_t status = 0;              // 0, or the last error code
    int32_t bits = 0;                // bits per pixel: 8, 24 or 32
    int32_t width = 0;               // pixels
    int32_t height = 0;              // pixels
    uint8_t* pixels = nullptr;       // new[]; owned until upload frees it (or the destructor does)
    int32_t buildMipmaps = 0;        // nonzero: every level through GLU; zero: level 0 only
    GLenum minFilter = GL_LINEAR;
    GLenum magFilter = GL_LINEAR;
    GLenum wrapS = GL_REPEAT;
    GLenum wrapT = GL_REPEAT;
    GLenum envMode = GL_MODULATE;
    GLuint name = 0;                 // texture object that receives the image
    GLenum format = 0;               // layout of the data handed to OpenGL
    GLenum internalFormat = 0;       // internal format asked of OpenGL

    TgaTexture() = default;
    ~TgaTexture();
    TgaTexture(const TgaTexture&) = delete;
    TgaTexture& operator=(const TgaTexture&) = delete;

    int readFile(const char* path);   // 1, or 0 with status set
    int readFile(FILE* file);         // the same from an open stream
    int loadFile(const char* path);   // readFile, then format and internalFormat from bits
    int loadInto(const char* path, GLuint textureName, GLenum formatOverride);
    int upload(bool freePixels);      // TEX_OK, TEX_ERR_NO_PIXELS or TEX_ERR_SIZE
};

// A count and an array of texture names, grown by one per added TGA sprite.
struct TextureList {
    int32_t count = 0;
    GLuint* names = nullptr;         // count names (new[]), each a texture object the list owns

    TextureList() = default;
    ~TextureList();
    TextureList(const TextureList&) = delete;
    TextureList& operator=(const TextureList&) = delete;

    // Appends a new texture name (even when the file fails) and loads the TGA into it with the loader's
    // defaults; returns the upload's result (1, 1004 or 1005).
    int addTga(const char* path);
    // Deletes the texture objects (the context must be current), frees the array, empties the list.
    void clear();
};

// Maximum anisotropy the driver offers (1 when it has no anisotropic filtering).
float maxTextureAnisotropy();

// The anisotropy the texture creators set: the driver's maximum, or 1 on a software rasteriser.
float textureAnisotropy();
bool softwareRasterizer(const char* renderer);   // GL_RENDERER names llvmpipe, softpipe or swrast
