// The desktop's message box: a modal GTK dialog with an OK button; without a display the text goes to
// standard error.
#include "platform/message_box_gtk.h"

#include <gtk/gtk.h>

#include "services/message_box.h"
#include "platform/platform_gtk.h"
#include "platform/signals.h"

void showDesktopMessageBox(const char* text, const char* caption) {
    // A box opened after a signal would wait for an answer the user no longer means to give.
    if (terminationRequested() || !startGtk()) {
        printMessageBoxToStderr(text, caption);
        return;
    }
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, "%s",
                                            text ? text : "");
    gtk_window_set_title(GTK_WINDOW(box), caption ? caption : "");
    gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
    gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
    flushGtkEvents();
}
