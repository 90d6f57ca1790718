// The TGA sprite loader: reads 8-, 24- or 32-bit uncompressed TGA files and uploads them with its fields.
#include <utility>

#include "image/file_bytes.h"
#include "image/texture.h"

bool isTextureSize(int n) {
    for (int side = 1; side <= 1024; side *= 2)
        if (n == side) return true;
    return false;
}

TgaTexture::~TgaTexture() { delete[] pixels; }

int TgaTexture::readFile(FILE* file) {
    uint8_t start[3];
    uint8_t fields[6];
    if (!readExact(file, start, sizeof start) || std::fseek(file, 12, SEEK_SET) != 0 ||
        !readExact(file, fields, sizeof fields) || std::fseek(file, start[0], SEEK_CUR) != 0) {
        status = TEX_ERR_READ;   // not even a whole header
        return 0;
    }
    uint8_t colourMapType = start[1];
    uint8_t imageType = start[2];
    if (colourMapType != 0 || (imageType != 2 && imageType != 3)) {
        status = TEX_ERR_TYPE;
        return 0;
    }
    width = littleEndian16(fields);
    height = littleEndian16(fields + 2);
    bits = fields[4];
    if (bits != 8 && bits != 24 && bits != 32) {
        status = TEX_ERR_DEPTH;
        return 0;
    }
    int bytesPerPixel = bits / 8;
    size_t count = checkedProduct(width, height, bytesPerPixel, maxImageBytes);
    long left = bytesLeft(file);
    ByteBuffer data = (count == 0 || left < 0 || count > static_cast<size_t>(left)) ? nullptr : allocateBytes(count);
    if (!data || !readExact(file, data.get(), count)) {
        status = TEX_ERR_READ;
        return 0;
    }
    if (bytesPerPixel > 1)
        for (size_t i = 0; i < count; i += static_cast<size_t>(bytesPerPixel)) std::swap(data[i], data[i + 2]);
    delete[] pixels;
    pixels = data.release();
    return 1;
}

int TgaTexture::readFile(const char* path) {
    FileHandle file = openForReading(path);
    if (!file) {
        status = TEX_ERR_OPEN;
        return 0;
    }
    return readFile(file.get());
}

int TgaTexture::loadFile(const char* path) {
    if (!readFile(path)) return 0;
    format = internalFormat = bits == 8 ? GL_ALPHA : bits == 24 ? GL_RGB : GL_RGBA;
    return 1;
}

int TgaTexture::loadInto(const char* path, GLuint textureName, GLenum formatOverride) {
    if (!loadFile(path)) return 0;
    name = textureName;
    if (formatOverride) format = formatOverride;
    return 1;
}

int TgaTexture::upload(bool freePixels) {
    if (!pixels) return TEX_ERR_NO_PIXELS;
    if (!isTextureSize(width) || !isTextureSize(height)) return TEX_ERR_SIZE;
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrapS));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrapT));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(envMode));
    if (buildMipmaps)
        gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(internalFormat), width, height, format,
                          GL_UNSIGNED_BYTE, pixels);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), width, height, 0, format,
                     GL_UNSIGNED_BYTE, pixels);
    if (freePixels) {
        delete[] pixels;
        pixels = nullptr;
    }
    return TEX_OK;
}
