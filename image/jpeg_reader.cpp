// JPEG decoding through libjpeg with default parameters; rows come out bottom row first.
//
// libjpeg reports fatal errors through its error manager, which by default ends the process. Here the
// manager jumps back into readJpeg instead (its message still goes to standard error), so a corrupt file
// gives a record without pixels. No object with a destructor lives across the setjmp: everything the
// decoder allocates is a raw pointer released on both paths.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jpeglib.h>

#include "image/file_bytes.h"
#include "image/image.h"

namespace {
// A file claiming more scans than this (progressive files have about ten) is treated as hostile: each
// scan re-reads the whole coefficient buffer.
constexpr long maxScans = 500;
// Warnings (corrupt data that libjpeg patches over) beyond this many end the decoding.
constexpr long maxWarnings = 1000;

bool messagesShown = true;

void showMessage(j_common_ptr info) {
    if (messagesShown) {
        char text[JMSG_LENGTH_MAX];
        (*info->err->format_message)(info, text);
        std::fprintf(stderr, "%s\n", text);
    }
}

struct JpegErrorManager {
    jpeg_error_mgr standard;   // first member: libjpeg sees a jpeg_error_mgr*
    jmp_buf returnPoint;
};

[[noreturn]] void returnToReader(j_common_ptr info) {
    showMessage(info);
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->returnPoint, 1);
}

void countWarning(j_common_ptr info, int level) {
    if (level < 0) {
        // Corrupt-data warnings: reported once, and too many of them end the decoding.
        if (info->err->num_warnings == 0) showMessage(info);
        if (++info->err->num_warnings > maxWarnings) {
            std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->returnPoint, 1);
        }
    }
}

void limitScans(j_common_ptr info) {
    if (info->is_decompressor) {
        auto* decompressor = reinterpret_cast<j_decompress_ptr>(info);
        if (decompressor->input_scan_number > maxScans)
            std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->returnPoint, 1);
    }
}

// Decodes into result; false on any failure. Separate from readJpeg so that the jump target's frame
// holds only plain data.
bool decodeJpeg(FILE* file, JpegPixels* result) {
    jpeg_decompress_struct decompressor;
    JpegErrorManager errors;
    jpeg_progress_mgr progress;
    uint8_t* volatile pixels = nullptr;
    JSAMPROW* volatile rows = nullptr;

    decompressor.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = returnToReader;
    errors.standard.emit_message = countWarning;
    if (setjmp(errors.returnPoint)) {
        delete[] rows;
        delete[] pixels;
        jpeg_destroy_decompress(&decompressor);
        return false;
    }
    jpeg_create_decompress(&decompressor);
    // A progressive or multi-scan file keeps every coefficient of its frame, two bytes a sample, before a
    // single row comes out: a few hundred bytes can claim gigabytes. The library's own memory gets the
    // pixels' bound; past it libjpeg asks for a backing store it does not have, and the decode fails.
    decompressor.mem->max_memory_to_use = static_cast<long>(maxImageBytes);
    progress.progress_monitor = limitScans;
    decompressor.progress = &progress;
    jpeg_stdio_src(&decompressor, file);
    jpeg_read_header(&decompressor, TRUE);
    jpeg_start_decompress(&decompressor);

    int64_t width = decompressor.output_width;
    int64_t height = decompressor.output_height;
    int64_t components = decompressor.output_components;
    size_t total = checkedProduct(width, height, components, maxImageBytes);
    if (total == 0) std::longjmp(errors.returnPoint, 1);
    pixels = new (std::nothrow) uint8_t[total];
    rows = new (std::nothrow) JSAMPROW[static_cast<size_t>(height)];
    if (!pixels || !rows) std::longjmp(errors.returnPoint, 1);
    // Row pointers run from the buffer's last row upwards, so the file's top row lands last: the
    // result is bottom row first, the order OpenGL takes texture rows in.
    size_t rowBytes = static_cast<size_t>(width * components);
    for (int64_t i = 0; i < height; ++i) rows[i] = pixels + static_cast<size_t>(height - 1 - i) * rowBytes;
    while (decompressor.output_scanline < decompressor.output_height) {
        JDIMENSION done = decompressor.output_scanline;
        jpeg_read_scanlines(&decompressor, rows + done, decompressor.output_height - done);
    }
    delete[] rows;
    rows = nullptr;
    jpeg_finish_decompress(&decompressor);
    jpeg_destroy_decompress(&decompressor);

    result->width = static_cast<int32_t>(width);
    result->height = static_cast<int32_t>(height);
    result->components = static_cast<int32_t>(components);
    result->rowBytes = static_cast<int32_t>(rowBytes);
    result->pixels = pixels;
    return true;
}
}  // namespace

JpegPixels::~JpegPixels() { delete[] pixels; }

void setJpegMessagesShown(bool shown) { messagesShown = shown; }

JpegPixels* readJpeg(FILE* file) {
    if (!file) return nullptr;
    // A file that cannot be decoded still gives a record, without pixels, as a missing one gives null.
    auto* result = new (std::nothrow) JpegPixels;
    if (result) decodeJpeg(file, result);
    return result;
}

JpegPixels* readJpeg(const char* path) {
    FileHandle file = openForReading(path);
    if (!file) return nullptr;
    return readJpeg(file.get());
}
