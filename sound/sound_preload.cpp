// The one preload slot: a worker thread that decodes a file the sample load will ask for later.
#include "sound/sound_preload.h"

#include <pthread.h>

#include <string>

namespace {
struct Preload {
    std::string path;
    DecodedSound sound;
    bool decoded = false;
    bool running = false;   // a worker thread exists and has not been joined
    pthread_t worker{};

    void join() {
        if (running) pthread_join(worker, nullptr);
        running = false;
    }
    void clear() {
        join();
        path.clear();
        sound = DecodedSound{};
        decoded = false;
    }
    // A worker left running at exit would outlive the vector it writes into.
    ~Preload() { join(); }
};

Preload preload;

void* decodeOnWorker(void* data) {
    Preload* p = static_cast<Preload*>(data);
    p->decoded = decodeSoundFile(p->path.c_str(), p->sound);
    return nullptr;
}
}  // namespace

void preloadSoundFile(const char* path) {
    preload.clear();
    if (!path) return;
    preload.path = path;
    preload.running = pthread_create(&preload.worker, nullptr, decodeOnWorker, &preload) == 0;
    // Without a worker the slot stays empty and the load decodes the file itself.
    if (!preload.running) preload.path.clear();
}

bool takePreloadedSound(const char* path, DecodedSound& out, bool& decoded) {
    if (!path || preload.path.empty() || preload.path != path) return false;
    preload.join();
    out = std::move(preload.sound);
    decoded = preload.decoded;
    preload.clear();
    return true;
}

void discardPreloadedSounds() { preload.clear(); }
