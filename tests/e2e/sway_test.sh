#!/usr/bin/env bash
# The demo as a native Wayland client of sway (headless backend, one 1920 x 1080 output, no input
# device), run with sway as an unprivileged user: the window shows the demo in a screenshot of the
# output (grim), Escape typed on a virtual keyboard (wtype) ends it with exit code 0, and so does SIGTERM. Full screen covers
# the output with the picture in its 4:3 shape, once the program has the desktop-resolution full screen.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/compositors.sh"
passed=0

start_sway 1920x1080
prepare_program_dir || fail "the program cannot be made readable by $compositor_user"

# escape_ends_it WHAT: Escape on a virtual keyboard; typed again if a busy client had not yet bound the
# new keyboard when the key came.
escape_ends_it() {
    for _ in 1 2 3; do
        sway_key Escape >/dev/null 2>&1
        for _ in $(seq 20); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
        kill -0 "$program_pid" 2>/dev/null || break
    done
    wait_for_exit 10
    [ "$exit_code" -eq 0 ] || fail "$1: exit code $exit_code after Escape, expected 0"
}

# wait_for_sway_window: prints "width height shell" of the program's window once sway shows it.
wait_for_sway_window() {
    local line
    for _ in $(seq 300); do
        line=$(sway_windows 2>/dev/null | grep '^ORX Halvex ' | head -n1)
        [ -n "$line" ] && { echo "${line#ORX Halvex }"; return 0; }
        kill -0 "$program_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Windowed, 800 x 600, as a native client.
start_program_under_sway --no-dialog --window 800x600 --no-sound
size=$(wait_for_sway_window) || fail "sway shows no demo window"
[ "$size" = "800 600 xdg_shell" ] || fail "the window is $size under sway, expected 800 600 xdg_shell (native)"
# The floating window is centred on the output.
wait_for_demo sway_screenshot "$work/sway-window.png" 800x600+560+240
shows_demo "$work/sway-window.png" 400x1080+0+0 && fail "the demo shows beside its window"
escape_ends_it "windowed"
passed=$((passed + 1))

# SIGTERM ends the native client as it ends an X11 one: exit code 0.
start_program_under_sway --no-dialog --window 640x480 --no-sound
wait_for_sway_window >/dev/null || fail "sway shows no demo window for the SIGTERM case"
kill -TERM "$program_pid"
wait_for_exit 5
[ "$exit_code" -eq 0 ] || fail "native client: exit code $exit_code after SIGTERM, expected 0"
passed=$((passed + 1))

if virtual_full_screen; then
    start_program_under_sway --no-dialog --fullscreen 1024x768 --no-sound
    size=$(wait_for_sway_window) || fail "sway shows no full-screen demo window"
    [ "$size" = "1920 1080 xdg_shell" ] || fail "the full-screen window is $size, expected the whole output"
    wait_for_demo sway_screenshot "$work/sway-fullscreen.png" 1440x1080+240+0
    expect_shape_kept "$work/sway-fullscreen.png"
    escape_ends_it "full screen"
    passed=$((passed + 1))
else
    echo "sway: the full-screen checks wait for the desktop-resolution full screen"
fi
[ -n "${HALVEX_KEEP_SCREENSHOTS:-}" ] && cp "$work"/sway-*.png "$HALVEX_KEEP_SCREENSHOTS"/
echo "sway: $passed passed, 0 failed"
