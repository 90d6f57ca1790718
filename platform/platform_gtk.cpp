// GTK start-up with the C locale kept, so that numbers are read and printed with a decimal point.
#include "platform/platform_gtk.h"

#include <gtk/gtk.h>

bool startGtk() {
    static int state = 0;   // 0 not tried, 1 running, -1 no display
    if (state == 0) {
        gtk_disable_setlocale();   // a Czech locale would make every later atof and printf use commas
        state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
        // A display that is named but refuses the first connection (a server still starting, a busy
        // machine) gets a few more tries before the program gives up.
        const bool displayNamed = g_getenv("DISPLAY") || g_getenv("WAYLAND_DISPLAY");
        for (int attempt = 0; state < 0 && displayNamed && attempt < 4; ++attempt) {
            g_usleep(500000);
            state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
        }
    }
    return state == 1;
}

void flushGtkEvents() {
    while (gtk_events_pending()) gtk_main_iteration();
}
