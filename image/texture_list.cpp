// Texture lists: a name per added TGA sprite, appended whether or not the file loaded.
#include <algorithm>
#include <new>

#include "image/texture.h"

TextureList::~TextureList() { clear(); }

void TextureList::clear() {
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
