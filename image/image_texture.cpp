// Mipmapped image textures for the slot tables, and their release.
#include <cstring>
#include <initializer_list>
#include <new>

#include "image/texture.h"

namespace {
constexpr size_t pathBufferChars = 255;   // including the terminator

// textureDirectory + fileName into a 255-character buffer; false when the name does not fit (the file
// is then not looked for at all, rather than a cut name being opened).
bool buildTexturePath(const char* fileName, char (&path)[pathBufferChars]) {
    path[0] = '\0';
    if (!fileName) return false;
    size_t directory = std::strlen(textureDirectory);
    size_t name = std::strlen(fileName);
    if (directory + name + 1 > pathBufferChars) return false;
    std::memcpy(path, textureDirectory, directory);
    std::memcpy(path + directory, fileName, name + 1);
    return true;
}

// The layout the pixels really have, whatever the creator declares: a 32-bit TGA through the RGB
// creator or a 24-bit one through the RGBA creator is described truthfully, so GLU never reads past
// the buffer; the declared internal format decides what the texture keeps.
GLenum pixelLayout(const Image& image) {
    switch (image.bytesPerPixel) {
    case 1: return GL_LUMINANCE;
    case 3: return GL_RGB;
    case 4: return GL_RGBA;
    default: return 0;
    }
}

void setMaximumAnisotropy() {
    GLfloat largest = 0.0f;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
    // Without the extension the query fails and leaves 0: nothing to set.
    if (largest < 1.0f) return;
    const GLfloat level = textureAnisotropy();
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &level);
}

void buildMipmaps(const Image& image, GLint internalFormat) {
    GLenum layout = pixelLayout(image);
    if (!image.pixels || layout == 0 || image.pixelWidth() <= 0 || image.pixelHeight() <= 0) return;
    gluBuild2DMipmaps(GL_TEXTURE_2D, internalFormat, image.pixelWidth(), image.pixelHeight(), layout,
                      GL_UNSIGNED_BYTE, image.pixels);
}

// Steps shared by both creators: a new record in the slot, the decoded file, a bound texture name.
Image* startImageTexture(ImageSlots slots, const char* fileName, int index, bool withAlpha) {
    char path[pathBufferChars];
    bool fits = buildTexturePath(fileName, path);
    Image* image = new (std::nothrow) Image;
    if (!image) return nullptr;
    slots[index] = image;
    if (fits) {
        if (withAlpha) image->loadWithAlpha(path);
        else image->load(path);
    }
    glGenTextures(1, &image->texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, image->texture);
    return image;
}
}  // namespace

float maxTextureAnisotropy() {
    GLfloat largest = 0.0f;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largest);
    return largest >= 1.0f ? largest : 1.0f;
}

bool softwareRasterizer(const char* renderer) {
    if (!renderer) return false;
    for (const char* name : {"llvmpipe", "softpipe", "swrast"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

float textureAnisotropy() {
    // Software rasterisers sample anisotropically at great cost: on llvmpipe a terrain frame seen at a
    // grazing angle took 2.3 s at 16x, and minutes while another program used the cores. There the
    // textures keep plain trilinear filtering; every hardware driver gets its maximum.
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return softwareRasterizer(renderer) ? 1.0f : maxTextureAnisotropy();
}

void createImageTexture(ImageSlots slots, const char* fileName, int index) {
    Image* image = startImageTexture(slots, fileName, index, false);
    if (!image) return;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    setMaximumAnisotropy();
    buildMipmaps(*image, GL_RGB);
}

void createImageTextureWithAlpha(ImageSlots slots, const char* fileName, int index) {
    Image* image = startImageTexture(slots, fileName, index, true);
    if (!image) return;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    setMaximumAnisotropy();
    buildMipmaps(*image, 4);
}

void releaseImage(Image* image) {
    if (!image) return;
    if (image->texture) glDeleteTextures(1, &image->texture);
    delete image;   // frees pixels and palette
}
