// Decoded images and the four file decoders (BMP, PCX, TGA, JPEG) that fill them.
//
// Every reader is bounded by what its file holds: sizes are checked against the bytes left and against
// maxImageBytes before anything is allocated, and a file that does not fit yields no pixels. Each reader
// has a stream form (an open FILE*, e.g. from fmemopen) next to the path form, so a whole decoder can be
// run on a memory buffer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

enum ImageFormat : int32_t { IMAGE_PCX = 0, IMAGE_BMP = 1, IMAGE_TGA = 2, IMAGE_JPEG = 3 };

// The largest pixel buffer any decoder allocates (bytes): far above the demo's 1024 x 1024 x 4 images,
// far below what a hostile header could ask for.
constexpr size_t maxImageBytes = size_t{256} << 20;

// A decoded image. It owns `pixels` and `palette` (allocated with new[]); releaseImage (image/texture.h)
// deletes the record together with its texture. Not copyable: the buffers have one owner.
struct Image {
    int32_t scaledWidth = 0;       // PCX only: power-of-two width the pixels were scaled to, else 0
    int32_t scaledHeight = 0;      // PCX only: power-of-two height, else 0
    uint8_t* palette = nullptr;    // PCX only: 256 RGB triples (768 bytes)
    int32_t format = IMAGE_PCX;    // ImageFormat of the file last loaded
    uint8_t tgaType = 0;           // TGA only: the accepted image type, always 2
    int32_t width = 0;             // pixels, as stored in the file (PCX: before scaling)
    int32_t height = 0;            // pixels, as stored in the file (PCX: before scaling)
    int32_t bytesPerPixel = 0;     // layout of `pixels`: 1, 3 or 4 (set by every loader, 0 with no pixels)
    unsigned int texture = 0;      // OpenGL texture name, set by the texture creators
    uint8_t* pixels = nullptr;     // decoded pixels, null when nothing was decoded

    Image() = default;
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Width and height of what `pixels` holds: the scaled size for PCX, the stored size otherwise.
    int32_t pixelWidth() const;
    int32_t pixelHeight() const;

    // Each loader replaces `pixels` and the descriptive fields; on failure `pixels` stays null.
    void loadBmp(const char* path);
    void loadPcx(const char* path);
    void loadTga(const char* path);
    void loadJpeg(const char* path);
    void loadBmp(FILE* file);
    void loadPcx(FILE* file);
    void loadTga(FILE* file);
    void loadJpeg(FILE* file);
    void loadBmpWithAlpha(FILE* file);

    // Chooses the decoder from the extension: BMP, PCX, TGA or JPG, any case. Another extension, or
    // none, leaves the image untouched.
    void load(const char* path);
    // The same for images with alpha: BMP (black made transparent) or TGA only.
    void loadWithAlpha(const char* path);

    void clearPixels();   // frees pixels and palette
};

// A table of image pointers filled by index (declare tables as `Image* table[N] = {}`).
using ImageSlots = Image**;

// The 40-byte BMP information header.
struct BmpInfoHeader {
    uint32_t size = 0;            // bytes of the header as written (40, or more for later versions)
    int32_t width = 0;            // pixels
    int32_t height = 0;           // pixels; negative for rows stored top row first
    uint16_t planes = 0;
    uint16_t bitCount = 0;        // bits per pixel
    uint32_t compression = 0;     // 0: uncompressed
    uint32_t sizeImage = 0;       // bytes of pixel data, 0 allowed for uncompressed files
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};

// What the PCX reader keeps of the 128-byte header, and the 256-entry palette from the file's end.
struct PcxHeader {
    uint8_t manufacturer = 0;     // 10
    uint8_t version = 0;          // 5
    uint8_t encoding = 0;
    uint8_t bitsPerPixel = 0;
    uint16_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;   // window corners, pixels
    uint8_t palette[768] = {};    // R, G, B per index
};

// What the TGA reader found in the header.
struct TgaInfo {
    uint8_t imageType = 0;        // always 2 when accepted
    int32_t width = 0;            // pixels
    int32_t height = 0;           // pixels
    int32_t bytesPerPixel = 0;    // 3 or 4
};

// The result of readJpeg: rows bottom row first.
struct JpegPixels {
    int32_t rowBytes = 0;         // width x components
    int32_t width = 0;            // pixels
    int32_t height = 0;           // pixels
    int32_t components = 0;       // 1 (grey), 3 (RGB) or 4 (CMYK as stored)
    uint8_t* pixels = nullptr;    // new[]; owned by the record
    JpegPixels() = default;
    ~JpegPixels();
    JpegPixels(const JpegPixels&) = delete;
    JpegPixels& operator=(const JpegPixels&) = delete;
};

// Readers: each returns a new[] buffer owned by the caller, or null. The path forms open and close the
// file; the stream forms read from the current stream (the whole stream is the file).
// 24-bit BMP: tightly packed R, G, B rows, bottom row first; width and height from `info`.
uint8_t* readBmp(const char* path, BmpInfoHeader& info);
uint8_t* readBmp(FILE* file, BmpInfoHeader& info);
// The same as R, G, B, A with A = 0 for pure black and 255 otherwise.
uint8_t* readBmpWithAlpha(const char* path, BmpInfoHeader& info);
uint8_t* readBmpWithAlpha(FILE* file, BmpInfoHeader& info);
// PCX palette indices, one byte per pixel, top row first; width = xmax - xmin + 1, height likewise.
uint8_t* readPcx(const char* path, PcxHeader& header);
uint8_t* readPcx(FILE* file, PcxHeader& header);
// Uncompressed 24- or 32-bit TGA as R, G, B[, A] in file row order; width and height go into `image`
// as soon as the header is read.
uint8_t* readTga(const char* path, Image& image, TgaInfo& info);
uint8_t* readTga(FILE* file, Image& image, TgaInfo& info);
// JPEG through libjpeg; null when the file cannot be opened. A corrupt file gives a record without pixels.
JpegPixels* readJpeg(const char* path);
JpegPixels* readJpeg(FILE* file);
// libjpeg's messages about corrupt files go to standard error unless turned off (the fuzzer does).
void setJpegMessagesShown(bool shown);

// Area-averaging resize of 4-byte pixels, the way gluScaleImage shrinks; needs no GL context.
void scaleImageRgba(const uint8_t* source, int sourceWidth, int sourceHeight, uint8_t* target,
                    int targetWidth, int targetHeight);
// The largest power of two not above n (n >= 1).
int32_t floorPowerOfTwo(int32_t n);
