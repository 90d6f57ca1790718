// Shows the settings dialog with GTK 3: the template table is laid out in pixels converted from dialog
// units with the dialog font's metrics, and clicks become Command calls of settingsDialogProc.
#include <gtk/gtk.h>

#include <map>

#include "platform/platform_gtk.h"
#include "platform/settings_dialog.h"
#include "resources/dialog_template.h"

namespace {
struct DialogUnits {
    double baseX = 6.0;    // pixels per 4 horizontal dialog units
    double baseY = 13.0;   // pixels per 8 vertical dialog units

    int x(int units) const { return static_cast<int>(units * baseX / 4.0 + 0.5); }
    int y(int units) const { return static_cast<int>(units * baseY / 8.0 + 0.5); }
};

// Base units as Windows derives them: the average width of the 52 Latin letters, and the font height.
DialogUnits measureDialogUnits(GtkWidget* reference) {
    DialogUnits units;
    PangoLayout* layout = gtk_widget_create_pango_layout(reference, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    if (width > 0) units.baseX = (width / 26.0 + 1.0) / 2.0;
    if (height > 0) units.baseY = height;
    return units;
}

class GtkSettingsDialog final : public DialogControls {
public:
    std::map<int, GtkWidget*> controls;
    int result = -1;
    bool updating = false;   // our own changes to the controls must not come back as clicks
    // A GTK radio group always has one button on: this one, never shown, is on when none of the five
    // sizes is (a size from the command line that the dialog does not offer).
    GtkWidget* noResolution = nullptr;

    void setChecked(int controlId, bool checked) override {
        auto found = controls.find(controlId);
        if (found == controls.end()) return;
        updating = true;
        GtkToggleButton* button = GTK_TOGGLE_BUTTON(found->second);
        if (!checked && GTK_IS_RADIO_BUTTON(button) && gtk_toggle_button_get_active(button) && noResolution)
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(noResolution), TRUE);
        else
            gtk_toggle_button_set_active(button, checked);
        updating = false;
    }
    void endDialog(int dialogResult) override { result = dialogResult; }

    void command(int controlId) {
        if (!updating && result < 0) settingsDialogProc(*this, DialogMessage::Command, controlId);
    }
};

struct ClickTarget {
    GtkSettingsDialog* dialog;
    int controlId;
};

void onClicked(GtkButton*, gpointer data) {
    auto* target = static_cast<ClickTarget*>(data);
    target->dialog->command(target->controlId);
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    static_cast<GtkSettingsDialog*>(data)->endDialog(0);
    return TRUE;
}

bool isPushButton(GtkWidget* widget) {
    return widget && GTK_IS_BUTTON(widget) && !GTK_IS_TOGGLE_BUTTON(widget);
}

gboolean onKeyPress(GtkWidget* window, GdkEventKey* event, gpointer data) {
    auto* dialog = static_cast<GtkSettingsDialog*>(data);
    if (event->keyval == GDK_KEY_Escape) {
        dialog->endDialog(0);
        return TRUE;
    }
    const bool enter = event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter ||
                       event->keyval == GDK_KEY_ISO_Enter;
    // Enter presses the focused push button, or OK, the default button, from anywhere else.
    if (enter && !isPushButton(gtk_window_get_focus(GTK_WINDOW(window)))) {
        dialog->command(okButtonId);
        return TRUE;
    }
    return FALSE;
}

GtkWidget* makeControl(const DialogControl& control, GtkWidget*& firstRadio) {
    switch (control.kind) {
    case ControlKind::DefaultPushButton:
    case ControlKind::PushButton:
        return gtk_button_new_with_label(control.text);
    case ControlKind::AutoRadioButton: {
        GtkWidget* radio = firstRadio ? gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(firstRadio), control.text)
                                      : gtk_radio_button_new_with_label(nullptr, control.text);
        if (!firstRadio) firstRadio = radio;
        return radio;
    }
    case ControlKind::AutoCheckBox:
        return gtk_check_button_new_with_label(control.text);
    case ControlKind::GroupBox:
        return gtk_frame_new(control.text);
    case ControlKind::StaticText: {
        GtkWidget* label = gtk_label_new(control.text);
        gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
        // A dialog unit is a quarter of the average character: wrap at the template's width.
        gtk_label_set_max_width_chars(GTK_LABEL(label), control.width / 4);
        gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
        gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
        return label;
    }
    }
    return nullptr;
}

GtkWidget* buildDialog(const DialogTemplate& dialogTemplate, GtkSettingsDialog& dialog, std::map<int, ClickTarget>& targets) {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), dialogTemplate.title);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_set_modal(GTK_WINDOW(window), TRUE);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);

    const DialogUnits units = measureDialogUnits(window);
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, units.x(dialogTemplate.width), units.y(dialogTemplate.height));
    gtk_container_add(GTK_CONTAINER(window), fixed);

    GtkWidget* firstRadio = nullptr;
    GList* focusChain = nullptr;
    for (int i = 0; i < dialogTemplate.controlCount; ++i) {
        const DialogControl& control = dialogTemplate.controls[i];
        GtkWidget* widget = makeControl(control, firstRadio);
        gtk_widget_set_size_request(widget, units.x(control.width), units.y(control.height));
        gtk_fixed_put(GTK_FIXED(fixed), widget, units.x(control.x), units.y(control.y));
        if (control.id == noControlId) continue;
        dialog.controls[control.id] = widget;
        targets[control.id] = ClickTarget{&dialog, control.id};
        g_signal_connect(widget, "clicked", G_CALLBACK(onClicked), &targets[control.id]);
        focusChain = g_list_append(focusChain, widget);
        if (control.kind == ControlKind::DefaultPushButton) {
            gtk_widget_set_can_default(widget, TRUE);
            gtk_window_set_default(GTK_WINDOW(window), widget);
        }
    }
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(fixed), focusChain);   // the template's tab order
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(focusChain);
    if (firstRadio) dialog.noResolution =
        GTK_WIDGET(g_object_ref_sink(gtk_radio_button_new_from_widget(GTK_RADIO_BUTTON(firstRadio))));

    g_signal_connect(window, "delete-event", G_CALLBACK(onDelete), &dialog);
    g_signal_connect(window, "key-press-event", G_CALLBACK(onKeyPress), &dialog);
    return window;
}
}  // namespace

int showSettingsDialog() {
    if (!startGtk()) return -1;

    GtkSettingsDialog dialog;
    std::map<int, ClickTarget> targets;
    GtkWidget* window = buildDialog(settingsDialogTemplate, dialog, targets);
    settingsDialogProc(dialog, DialogMessage::InitDialog, 0);
    gtk_widget_show_all(window);
    gtk_widget_grab_focus(dialog.controls[okButtonId]);

    while (dialog.result < 0) gtk_main_iteration();
    gtk_widget_destroy(window);
    if (dialog.noResolution) g_object_unref(dialog.noResolution);
    flushGtkEvents();
    return dialog.result;
}
