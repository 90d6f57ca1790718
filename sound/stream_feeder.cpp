// One worker thread, woken every interval or at once to stop. A pthread, so a failed start is a result
// rather than an exception.
#include "sound/stream_feeder.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
struct Feeder {
    pthread_t worker{};
    bool running = false;   // a worker exists and has not been joined
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    void (*feed)() = nullptr;
    int intervalMs = 0;
};
Feeder feeder;

void* feedUntilStopped(void*) {
    std::unique_lock<std::mutex> guard(feeder.lock);
    while (!feeder.stopping) {
        guard.unlock();
        feeder.feed();
        guard.lock();
        feeder.wake.wait_for(guard, std::chrono::milliseconds(feeder.intervalMs), [] { return feeder.stopping; });
    }
    return nullptr;
}

// A worker left running at exit would call into a library already closed.
struct StopAtExit {
    ~StopAtExit() { stopStreamFeeder(); }
} stopAtExit;
}  // namespace

bool startStreamFeeder(void (*feed)(), int intervalMs) {
    if (feeder.running) return true;
    if (!feed || intervalMs <= 0) return false;
    feeder.stopping = false;
    feeder.feed = feed;
    feeder.intervalMs = intervalMs;
    feeder.running = pthread_create(&feeder.worker, nullptr, feedUntilStopped, nullptr) == 0;
    return feeder.running;
}

void stopStreamFeeder() {
    if (!feeder.running) return;
    {
        std::lock_guard<std::mutex> guard(feeder.lock);
        feeder.stopping = true;
    }
    feeder.wake.notify_all();
    pthread_join(feeder.worker, nullptr);
    feeder.running = false;
}

bool streamFeederRunning() { return feeder.running; }
