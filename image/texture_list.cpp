// Texture lists: a name per added TGA sprite, appended whether or not the file loaded.
#include <algorithm>
#include <new>

#include "image/texture.h"

// At process exit the context is gone: the destructor frees only the array, and the texture objects
// are the shutdown's to delete through clear().
TextureList::~TextureList() { delete[] names; }

void TextureList::clear() {
    if (count > 0) glDeleteTextures(count, names);
    delete[] names;
    names = nullptr;
    count = 0;
}

int TextureList::addTga(const char* path) {
    TgaTexture texture;
    GLuint* grown = new (std::nothrow) GLuint[static_cast<size_t>(count) + 1];
    if (!grown) return TEX_ERR_NO_PIXELS;
    std::copy(names, names + count, grown);
    delete[] names;
    names = grown;
    GLuint name = 0;
    glGenTextures(1, &name);
    names[count++] = name;
    texture.loadInto(path, name, 0);
    return texture.upload(true);
}
