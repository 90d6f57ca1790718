// GTK start-up with the C locale kept, so that numbers are read and printed with a decimal point.
#include "app/platform_gtk.h"

#include <gtk/gtk.h>

bool startGtk() {
    static int state = 0;   // 0 not tried, 1 running, -1 no display
    if (state == 0) {
        gtk_disable_setlocale();   // a Czech locale would make every later atof and printf use commas
        state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
    }
    return state == 1;
}

void flushGtkEvents() {
    while (gtk_events_pending()) gtk_main_iteration();
}
