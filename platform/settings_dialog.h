// The settings dialog's logic, knowing nothing of the toolkit that shows it.
#pragma once

enum class DialogMessage { InitDialog, Command, Other };

constexpr int okButtonId = 1;
constexpr int quitButtonId = 2;          // "Konec"
constexpr int firstResolutionId = 1000;  // 1000..1004, see resolutionChoices
constexpr int fullscreenCheckId = 1005;
constexpr int soundCheckId = 1006;

struct ResolutionChoice {
    int id, width, height;
};
extern const ResolutionChoice resolutionChoices[5];

// The resolution button ticked when the dialog opens: 1002 ("1024 x 768") always, unless the command
// line chose a size; a size that is none of the five ticks no button (noResolutionId).
constexpr int noResolutionId = 0;
extern int dialogResolutionId;

// What the dialog procedure may do to the dialog it runs in.
class DialogControls {
public:
    virtual ~DialogControls() = default;
    virtual void setChecked(int controlId, bool checked) = 0;
    virtual void endDialog(int result) = 0;
};

// Returns true when it handled the message. Settings change the moment a control is clicked.
bool settingsDialogProc(DialogControls& dialog, DialogMessage message, int controlId);

// Shows the dialog modally and returns its result: 1 for OK, 0 for "Konec", Escape or the close box,
// -1 when no dialog can be shown (no display).
int showSettingsDialog();
