// Benchmark: decoding a 1024 x 1024 JPEG, and making its mipmapped texture the way the sky box does,
// on an offscreen GL context. Prints median milliseconds.
#include <SDL.h>
#include <jpeglib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/texture.h"

namespace {
constexpr int side = 1024;
constexpr int rounds = 15;

// A starfield-like picture with smooth nebula colour: realistic work for the entropy decoder.
std::vector<unsigned char> picture() {
    std::vector<unsigned char> rgb(static_cast<size_t>(side) * side * 3);
    unsigned seed = 12345;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            seed = seed * 1664525u + 1013904223u;
            bool star = (seed >> 24) < 2;
            double nebula = 0.5 + 0.5 * std::sin(x * 0.01) * std::cos(y * 0.013);
            unsigned char* p = &rgb[(static_cast<size_t>(y) * side + x) * 3];
            p[0] = star ? 255 : static_cast<unsigned char>(60 * nebula);
            p[1] = star ? 255 : static_cast<unsigned char>(20 * nebula);
            p[2] = star ? 255 : static_cast<unsigned char>(90 * nebula);
        }
    return rgb;
}

bool writeJpeg(const char* path, const std::vector<unsigned char>& rgb) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = side;
    info.image_height = side;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<size_t>(info.next_scanline) * side * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
    return true;
}

double milliseconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
}  // namespace

int main() {
    char directory[] = "/tmp/halvex_texture_bench_XXXXXX";
    if (!mkdtemp(directory) || chdir(directory) != 0) return 1;
    mkdir("data", 0755);
    mkdir("data/textury", 0755);
    if (!writeJpeg("data/textury/sky1.jpg", picture())) return 1;

    std::vector<double> decode;
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        Image image;
        image.load("data/textury/sky1.jpg");
        decode.push_back(milliseconds(start));
        if (!image.pixels) {
            std::fprintf(stderr, "texture_bench: the JPEG did not decode\n");
            return 1;
        }
    }
    std::printf("jpeg decode 1024x1024: %.2f ms (median of %d)\n", median(decode), rounds);

    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "texture_bench: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_Window* window = SDL_CreateWindow("texture bench", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "texture_bench: no GL context: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_MakeCurrent(window, context);

    std::vector<double> create;
    Image* slots[1] = {};
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        createImageTexture(slots, "sky1.jpg", 0);
        glFinish();
        create.push_back(milliseconds(start));
        releaseImage(slots[0]);
        slots[0] = nullptr;
    }
    std::printf("jpeg decode + mipmapped texture 1024x1024: %.2f ms (median of %d)\n", median(create), rounds);
    std::printf("mipmapped texture alone: %.2f ms\n", median(create) - median(decode));

    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    std::remove("data/textury/sky1.jpg");
    rmdir("data/textury");
    rmdir("data");
    if (chdir("/") == 0) rmdir(directory);
    return 0;
}
