// libFuzzer target for a whole fake data set: one input is cut at "%%FILE%%" into the files start-up
// reads (a model, the terrain's second coordinate set, the texture its first material names, a sky JPEG,
// a logo and a sprite TGA, the music and an effect), written under a data/ tree and read by the same
// GL-free loaders initDemo uses. Missing pieces are missing files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <strings.h>
#include <sys/stat.h>

#include "fuzz_checks.h"
#include "services/message_box.h"
#include "image/image.h"
#include "image/texture.h"
#include "model/reader3ds.h"
#include "sound/sound_decoder.h"

namespace {
constexpr std::string_view separator = "%%FILE%%";
constexpr size_t fuzzMaxSoundBytes = size_t{4} << 20;
constexpr uint64_t maxFuzzJpegPixels = 1u << 20;   // bigger frames are legal but only slow the search

std::string root;   // a private folder holding data/; every path is spelled out from it


void removeRoot() {
    std::error_code error;
    std::filesystem::remove_all(root, error);
}

std::vector<std::string_view> cutFiles(const uint8_t* data, size_t size) {
    std::vector<std::string_view> pieces;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (;;) {
        const size_t at = rest.find(separator);
        pieces.push_back(rest.substr(0, at));
        if (at == std::string_view::npos) break;
        rest.remove_prefix(at + separator.size());
    }
    return pieces;
}

bool claimsHugeJpegFrame(std::string_view bytes) {
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (b[i] != 0xFF || b[i + 1] < 0xC0 || b[i + 1] > 0xCF) continue;
        if (b[i + 1] == 0xC4 || b[i + 1] == 0xC8 || b[i + 1] == 0xCC) continue;
        const uint64_t height = (b[i + 5] << 8) | b[i + 6], width = (b[i + 7] << 8) | b[i + 8];
        if (width * height > maxFuzzJpegPixels) return true;
    }
    return false;
}

// As Image::load dispatches: the text after the first dot of the file name.
bool namesJpeg(const std::string& path) {
    const size_t dot = path.find('.', path.rfind('/') + 1);
    return dot != std::string::npos && strcasecmp(path.c_str() + dot + 1, "jpg") == 0;
}

// Writes piece k to path (inside the root), or removes the file when the input has no piece k.
void placeFile(const std::vector<std::string_view>& pieces, size_t k, const std::string& path) {
    const std::string full = root + "/" + path;
    std::remove(full.c_str());
    if (k >= pieces.size()) return;
    std::FILE* file = std::fopen(full.c_str(), "wb");
    if (!file) std::abort();
    if (!pieces[k].empty()) std::fwrite(pieces[k].data(), 1, pieces[k].size(), file);
    std::fclose(file);
}

// A material's texture name as a file name inside data/textury/ (the fuzzer writes nowhere else).
std::string textureFileName(const Model3ds& model) {
    std::string name = model.materials.empty() ? "" : model.materials[0].textureFile;
    if (name.empty() || name.size() > 64) name = "hull.jpg";
    for (char& c : name)
        if (c == '/' || c == '\0') c = '_';
    if (name == "." || name == "..") name = "hull.jpg";
    return name;
}

void checkImage(const Image& image) {
    if (!image.pixels) return;
    check(image.bytesPerPixel == 1 || image.bytesPerPixel == 3 || image.bytesPerPixel == 4);
    check(image.pixelWidth() > 0 && image.pixelHeight() > 0);
    touchPixels(image.pixels, image.pixelWidth(), image.pixelHeight(), image.bytesPerPixel);
}

void readModels(const std::vector<std::string_view>& pieces) {
    Model3ds model, detail;
    Reader3ds modelReader, detailReader;
    placeFile(pieces, 0, "data/3ds/teren.3ds");
    placeFile(pieces, 1, "data/3ds/teren2.3ds");
    modelReader.import(model, (root + "/data/3ds/teren.3ds").c_str());
    detailReader.import(detail, (root + "/data/3ds/teren2.3ds").c_str());
    checkModel(model);
    checkModel(detail);
    const std::string texture = std::string(textureDirectory) + textureFileName(model);
    // The texture is read by its name's extension, and a model without materials names a JPEG: a frame
    // of a few bytes can claim hundreds of megabytes, which only slows the search (the decoder bounds it).
    if (pieces.size() > 2 && namesJpeg(texture) && claimsHugeJpegFrame(pieces[2])) return;
    placeFile(pieces, 2, texture);
    Image image;
    image.load((root + "/" + texture).c_str());
    checkImage(image);
    std::remove((root + "/" + texture).c_str());
}

void readImages(const std::vector<std::string_view>& pieces) {
    if (pieces.size() <= 3 || !claimsHugeJpegFrame(pieces[3])) {
        placeFile(pieces, 3, "data/textury/sky1.jpg");
        Image sky;
        sky.load((root + "/data/textury/sky1.jpg").c_str());
        checkImage(sky);
    }
    placeFile(pieces, 4, "data/textury/orx.tga");
    Image logo;
    logo.loadWithAlpha((root + "/data/textury/orx.tga").c_str());
    checkImage(logo);
    placeFile(pieces, 5, "data/textury/head02.tga");
    TgaTexture sprite;
    if (sprite.readFile((root + "/data/textury/head02.tga").c_str())) {
        check(sprite.bits == 8 || sprite.bits == 24 || sprite.bits == 32);
        touchPixels(sprite.pixels, sprite.width, sprite.height, sprite.bits / 8);
    } else {
        check(!sprite.pixels);
    }
}

void readSounds(const std::vector<std::string_view>& pieces) {
    const char* const names[] = {"data/sound/ikarie.mp3", "data/sound/1.wav"};
    for (size_t i = 0; i < 2; ++i) {
        placeFile(pieces, 6 + i, names[i]);
        DecodedSound sound;
        if (decodeSoundFile((root + "/" + names[i]).c_str(), sound, fuzzMaxSoundBytes)) {
            check(sound.channels == 1 || sound.channels == 2);
            check(!sound.samples.empty() && sound.bytes() <= fuzzMaxSoundBytes);
        } else {
            check(sound.samples.empty() && sound.channels == 0);
        }
    }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setJpegMessagesShown(false);
    setMessageBoxSink(ignoreMessage);
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/halvex-data-set-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    root = pattern;
    std::atexit(removeRoot);
    for (const char* folder : {"/data", "/data/3ds", "/data/textury", "/data/sound"})
        if (mkdir((root + folder).c_str(), 0700) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string_view> pieces = cutFiles(data, size);
    readModels(pieces);
    readImages(pieces);
    readSounds(pieces);
    return 0;
}
