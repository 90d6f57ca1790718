// The settings dialog as a template table: every control with its id, kind, text and place in dialog units.
#pragma once

enum class ControlKind { DefaultPushButton, PushButton, AutoRadioButton, AutoCheckBox, GroupBox, StaticText };

constexpr int noControlId = -1;

struct DialogControl {
    int id;              // noControlId for group boxes and the static text
    ControlKind kind;
    const char* text;    // UTF-8
    int x, y;            // dialog units
    int width, height;   // dialog units
    bool tabStop;
};

struct DialogTemplate {
    const char* title;
    int width, height;   // dialog units
    const char* fontFamily;
    int fontPoints;
    const DialogControl* controls;   // in template order, which is also the tab order
    int controlCount;
};

extern const DialogTemplate settingsDialogTemplate;
