// Resizes follow the window in windowed mode only; Escape and the close box ask to quit.
#include "platform/window_proc.h"

#include "platform/quit_request.h"
#include "services/settings.h"

ClientRect clientRect;

namespace {
void takeClientSize(int width, int height) {
    // A minimised window reports a 0 x 0 client area; the projections divide by the height, so the
    // last real size stays in force until the window comes back.
    if (width <= 0 || height <= 0) return;
    screenWidth = width;
    screenHeight = height;
    clientRect = ClientRect{0, 0, width, height};
}
}  // namespace

int windowProc(const WindowMessage& message) {
    switch (message.kind) {
    case WindowMessageKind::Size:
        if (!fullscreen) takeClientSize(message.width, message.height);
        return 0;
    case WindowMessageKind::Paint:
        return 0;   // drawing happens only in the frame loop
    case WindowMessageKind::KeyDown:
        if (message.key == escapeKey) postQuitRequest(0);
        return 0;
    case WindowMessageKind::Close:
        postQuitRequest(0);   // the window stays until the shutdown has run
        return 0;
    case WindowMessageKind::Other:
        break;
    }
    return 0;
}
