#!/usr/bin/env bash
# The demo under weston (headless backend, one 1920 x 1080 output, no input device). weston then
# announces no input seat, on which SDL 2.26's Wayland driver crashes inside SDL_Init: asked for native
# Wayland with no X server beside it, the program says why and ends with exit code 1 instead; with
# XWayland there it runs as an X11 client. The window shows the demo in a screenshot of the output and of
# the window; Escape (sent by xdotool: with no seat, XWayland has no keyboard focus to type into) ends
# it with 0. Full screen covers the output with the picture in its 4:3 shape, once the program has the
# desktop-resolution full screen.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/compositors.sh"
passed=0
start_weston 1920x1080

# run_native_wayland: halvex32 asked for native Wayland, no X display named.
(cd "$build" && unset DISPLAY && SDL_VIDEODRIVER=wayland exec timeout 60 ./halvex32 --no-dialog \
    --window 800x600 --no-sound >"$work/program.log" 2>&1)
code=$?
[ "$code" -eq 1 ] || fail "native Wayland without a seat: exit code $code, expected 1 (139 is the crash)"
grep -q 'offers no input seat' "$work/program.log" || fail "native Wayland without a seat: no reason given"
[ "$(wc -l <"$work/program.log")" -eq 1 ] || fail "native Wayland without a seat: more than the one line"
passed=$((passed + 1))

# escape_ends_it WINDOW WHAT
escape_ends_it() {
    xdotool key --window "$1" Escape
    wait_for_exit 15
    [ "$exit_code" -eq 0 ] || fail "$2: exit code $exit_code after Escape, expected 0"
}

# Native Wayland asked for, XWayland there: the program takes X11 and shows the demo.
(cd "$build" && SDL_VIDEODRIVER=wayland exec ./halvex32 --no-dialog --window 800x600 --no-sound \
    >"$work/program.log" 2>&1) &
program_pid=$!
window=$(wait_for_window '^ORX Halvex$' 30) || fail "no demo window on XWayland"
grep -q "using its X11 server ($DISPLAY)" "$work/program.log" || fail "the change to X11 was not reported"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "${WIDTH}x${HEIGHT}" = 800x600 ] || fail "the window is ${WIDTH}x${HEIGHT} on XWayland, expected 800x600"
import_window() { timeout 10 import -window "$window" "$1"; }
wait_for_demo import_window "$work/weston-window-only.png" 800x600+0+0
# The same picture where weston placed the window on its output.
# weston's window manager may place the window after it is mapped, and the picture changes as the demo
# runs: each shot reads the window's place again, and one dark moment proves nothing.
for _ in $(seq 30); do
    eval "$(timeout 10 xdotool getwindowgeometry --shell "$window")"
    weston_screenshot "$work/weston-window.png" || compositor_fail "weston took no screenshot"
    shows_demo "$work/weston-window.png" "800x600+$X+$Y" && break
    sleep 0.5
done
shows_demo "$work/weston-window.png" "800x600+$X+$Y" || fail "the output does not show the demo at $X,$Y: $(
    convert "$work/weston-window.png" -crop "800x600+$X+$Y" +repage -colorspace Gray \
        -format 'brightest %[fx:maxima], mean %[fx:mean]' info:)"
escape_ends_it "$window" "windowed on XWayland"
passed=$((passed + 1))

if virtual_full_screen; then
    (cd "$build" && exec ./halvex32 --no-dialog --fullscreen 1024x768 --no-sound >"$work/program.log" 2>&1) &
    program_pid=$!
    window=$(wait_for_window '^ORX Halvex$' 30) || fail "no full-screen demo window on XWayland"
    wait_for_demo weston_screenshot "$work/weston-fullscreen.png" 1440x1080+240+0
    expect_shape_kept "$work/weston-fullscreen.png"
    escape_ends_it "$window" "full screen on XWayland"
    passed=$((passed + 1))
else
    echo "weston: the full-screen checks wait for the desktop-resolution full screen"
fi
[ -n "${HALVEX_KEEP_SCREENSHOTS:-}" ] && cp "$work"/weston-*.png "$HALVEX_KEEP_SCREENSHOTS"/
echo "weston: $passed passed, 0 failed"
