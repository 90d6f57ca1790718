// Template 129: the Czech settings dialog, 277 x 173 dialog units.
#include "resources/dialog_template.h"

namespace {
const DialogControl settingsControls[] = {
    {1, ControlKind::DefaultPushButton, "OK", 8, 152, 50, 14, true},
    {2, ControlKind::PushButton, "Konec", 220, 152, 50, 14, true},
    {1000, ControlKind::AutoRadioButton, "640 x 480", 19, 20, 48, 10, false},
    {1001, ControlKind::AutoRadioButton, "800 x 600", 19, 35, 48, 10, false},
    {1002, ControlKind::AutoRadioButton, "1024 x 768", 83, 20, 52, 10, false},
    {noControlId, ControlKind::GroupBox, "Rozlišení obrazovky", 8, 7, 262, 46, false},
    {1003, ControlKind::AutoRadioButton, "1280 x 1024", 84, 35, 56, 10, false},
    {1004, ControlKind::AutoRadioButton, "1600 x 1200", 165, 20, 56, 10, false},
    {1005, ControlKind::AutoCheckBox, "Přes celou obrazovku", 165, 35, 84, 10, true},
    {noControlId, ControlKind::StaticText,
     "Tento program je závěrečným projektem multimediálního dema v předmětu Multimédia. "
     "Autorem je Oda Mervik z Fakulty technologické Velmorské univerzity v Tarsku, letní semestr 2005.",
     19, 110, 244, 29, false},
    {noControlId, ControlKind::GroupBox, "Hudba a zvuk", 8, 60, 262, 31, false},
    {noControlId, ControlKind::GroupBox, "Info", 8, 97, 262, 44, false},
    {1006, ControlKind::AutoCheckBox, "Zapnuto", 19, 73, 43, 10, true},
};
}  // namespace

const DialogTemplate settingsDialogTemplate = {
    "ORX Halvex v1.01 Nastavení", 277, 173, "MS Shell Dlg", 8,
    settingsControls, static_cast<int>(sizeof settingsControls / sizeof settingsControls[0]),
};
