// The signal handler only writes a byte into a pipe (the one thing it may safely do). A thread of its
// own reads the pipe and wakes whatever the main thread is doing: the main loop takes the request at its
// next poll; a GTK dialog or message box (modal loops that never look at SDL's queue) is closed from an
// idle call on GTK's own thread. The loading looks at nothing, so when the main thread has not taken the
// request within the grace time the watch ends the process itself, unless a display-mode change must
// still be undone by the shutdown; and a shutdown that hangs is cut short after ten seconds.
#include "platform/signals.h"

#include <SDL.h>
#include <fcntl.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {
constexpr int graceMilliseconds = 400;   // the main thread's time to take the request; a frame takes far less
constexpr int stuckShutdownMilliseconds = 10000;   // the loading's rest and the shutdown take 2 s at most

int wakePipe[2] = {-1, -1};
std::atomic<bool> requested{false};
std::atomic<bool> taken{false};
std::atomic<bool> displayModeInForce{false};

void onTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);   // full pipe: a wake-up is pending
    errno = savedErrno;
}

// Runs on the main thread inside a GTK loop: each open window is closed as by its close box.
gboolean closeGtkWindows(gpointer) {
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item; item = item->next) {
        if (gtk_widget_get_visible(GTK_WIDGET(item->data))) gtk_window_close(GTK_WINDOW(item->data));
    }
    g_list_free(windows);
    return G_SOURCE_REMOVE;
}

bool takenWithin(int milliseconds) {
    for (int waited = 0; waited < milliseconds && !taken; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return taken;
}

// The main thread gets the grace time to take the request; then the process ends here, unless a
// display-mode change waits for the shutdown to undo it. Either way a shutdown that never finishes
// (a driver or server that hangs) does not keep the process for ever.
void endUntakenRequest(int signalNumber) {
    if (!takenWithin(graceMilliseconds) && !displayModeInForce) {
        std::fprintf(stderr, "halvex: ended by signal %d while starting or busy, without the shutdown.\n", signalNumber);
        _exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(stuckShutdownMilliseconds));
    std::fprintf(stderr, "halvex: ended by signal %d; the shutdown did not finish within %d s.\n", signalNumber,
                 stuckShutdownMilliseconds / 1000);
    _exit(0);
}

void watchSignals() {
    for (;;) {
        char byte = 0;
        const ssize_t got = read(wakePipe[0], &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        if (requested.exchange(true)) continue;   // one request is enough; the grace time already runs
        g_idle_add(closeGtkWindows, nullptr);     // thread-safe; wakes a GTK loop that is waiting
        endUntakenRequest(byte);
    }
}
}  // namespace

void installTerminationSignals() {
    if (wakePipe[0] >= 0) return;
    if (pipe2(wakePipe, O_CLOEXEC) != 0) return;   // the default action (the end, without shutdown) stays
    fcntl(wakePipe[1], F_SETFL, O_NONBLOCK);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");   // SDL would turn them into a quit event GTK never sees
    std::thread(watchSignals).detach();
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool terminationRequested() { return requested; }

bool takeTerminationRequest() {
    if (!requested) return false;
    taken = true;
    return true;
}

void setDisplayModeChangeInForce(bool inForce) { displayModeInForce = inForce; }
