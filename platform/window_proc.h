// The window procedure: the four window events the demo reacts to, in a form free of any toolkit.
#pragma once

enum class WindowMessageKind { Size, Paint, KeyDown, Close, Other };

constexpr int escapeKey = 27;   // the virtual key of Escape

struct WindowMessage {
    WindowMessageKind kind = WindowMessageKind::Other;
    int width = 0;    // Size: the new client size in pixels
    int height = 0;
    int key = 0;      // KeyDown: escapeKey, or any other value for other keys
};

// The client area as a rectangle, left/top at 0, filled at start-up and on windowed resizes.
struct ClientRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
extern ClientRect clientRect;

int windowProc(const WindowMessage& message);
