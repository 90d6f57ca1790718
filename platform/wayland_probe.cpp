// SDL 2.26's Wayland driver sets up the pointer of its seat record while it starts, and that record only
// exists once the compositor has announced a wl_seat. weston's headless backend, with no input device,
// announces none, and SDL_Init(SDL_INIT_VIDEO) then writes through a null pointer. The globals are read
// here, bounded in time, before SDL sees the compositor.
#include "platform/wayland_probe.h"

#include <poll.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int answerWaitMilliseconds = 3000;   // a compositor that says nothing for this long is left to SDL

enum class SeatAnswer { NoCompositor, Seat, NoSeat };

// SDL 2 tries X11 before Wayland: Wayland is started when asked for by name, or when there is no X display.
bool sdlWouldStartWayland() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && *driver) return std::strstr(driver, "wayland") != nullptr;
    const char* x11 = std::getenv("DISPLAY");
    return !(x11 && *x11);
}

void onGlobal(void* seatSeen, wl_registry*, uint32_t, const char* interface, uint32_t) {
    if (std::strcmp(interface, wl_seat_interface.name) == 0) *static_cast<bool*>(seatSeen) = true;
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

void onSyncDone(void* done, wl_callback*, uint32_t) { *static_cast<bool*>(done) = true; }
const wl_callback_listener syncListener = {onSyncDone};

// wl_display_roundtrip without the risk of waiting for ever on a compositor that hangs.
bool roundtripWithin(wl_display* display, int milliseconds) {
    bool done = false;
    wl_callback* sync = wl_display_sync(display);
    wl_callback_add_listener(sync, &syncListener, &done);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done) {
        while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
        wl_display_flush(display);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{wl_display_get_fd(display), POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, int(left.count())) <= 0) {
            wl_display_cancel_read(display);
            break;
        }
        if (wl_display_read_events(display) != 0) break;
        wl_display_dispatch_pending(display);
    }
    wl_callback_destroy(sync);
    return done;
}

// A socket handed over in WAYLAND_SOCKET can be connected once only, and it is SDL's; without a runtime
// folder the client library would only print its complaint.
bool compositorReachable() {
    const char* handedOver = std::getenv("WAYLAND_SOCKET");
    if (handedOver && *handedOver) return false;
    const char* name = std::getenv("WAYLAND_DISPLAY");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return (name && name[0] == '/') || (runtime && *runtime);
}

SeatAnswer askForSeat() {
    if (!compositorReachable()) return SeatAnswer::NoCompositor;
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return SeatAnswer::NoCompositor;
    bool seatSeen = false;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &seatSeen);
    const bool answered = roundtripWithin(display, answerWaitMilliseconds);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    // No answer proves nothing about the seat: SDL meets the same compositor and reports what it finds.
    if (!answered) return SeatAnswer::NoCompositor;
    return seatSeen ? SeatAnswer::Seat : SeatAnswer::NoSeat;
}
}  // namespace

bool chooseVideoDriverForCompositor() {
    if (!sdlWouldStartWayland() || askForSeat() != SeatAnswer::NoSeat) return true;
    const char* x11 = std::getenv("DISPLAY");
    if (x11 && *x11) {
        std::fprintf(stderr, "halvex: the Wayland compositor offers no input seat, which SDL's Wayland driver "
                             "cannot start without; using its X11 server (%s) instead.\n", x11);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        return true;
    }
    std::fprintf(stderr, "halvex: the Wayland compositor offers no input seat (no keyboard or pointer), and SDL's "
                         "Wayland driver cannot start without one; the demo needs a compositor with a seat, or X11.\n");
    return false;
}
