#!/usr/bin/env bash
# Full screen never changes the display's mode unless asked: a size the display does not offer is drawn
# at that size and scaled to the screen, with no message. With --exclusive the mode is really changed,
# and a size the display does not offer gives "Display Mode Not Compatible" in a "Chyba" box; after it is
# answered the program loads, renders nothing, ends with exit code 0 and leaves the screen as it was.
# The same for a size the display lists but then fails to switch to (forced: Xvfb never fails its one
# mode), while that size without the fault shows the demo and no box. Where the driver cannot make the
# picture at all (no framebuffer objects), the virtual full screen refuses with the same message.
source "$(dirname "$0")/lib.sh"
start_xvfb 1024x768
screen_before=$(xdpyinfo | awk '/dimensions:/ {print $2}')
screen_unchanged() { [ "$(xdpyinfo | awk '/dimensions:/ {print $2}')" = "$screen_before" ]; }

# answer_refusal WHAT: the Chyba box is there, is answered, and the program ends with 0.
answer_refusal() {
    box=$(wait_for_window '^Chyba$') || fail "no Chyba message box $1"
    press_key "$box" Return
    wait_for_exit 30
    [ "$exit_code" -eq 0 ] || fail "exit code $exit_code $1, expected 0"
    screen_unchanged || fail "the screen changed $1"
}

# run_demo ARGS...: halvex32 with these options (and any environment set before the call).
run_demo() {
    (cd "$build" && exec ./halvex32 "$@" >"$work/program.log" 2>&1) &
    program_pid=$!
}

# 1600 x 1200 from the dialog: the demo shows, scaled down to the screen, and no box.
start_program halvex32
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
click_dialog_units "$dialog" 170 25    # "1600 x 1200", full screen stays ticked
click_dialog_units "$dialog" 30 158    # OK
window=$(wait_for_window '^ORX Halvex$' 30) || fail "no demo window for 1600 x 1200 on a 1024 x 768 screen"
sleep 1
window_exists '^Chyba$' && fail "a Chyba box for a size the virtual full screen can scale"
[ "$(client_size "$window")" = "1024x768" ] || fail "full-screen client size is $(client_size "$window")"
screen_unchanged || fail "the screen changed while the demo ran"
press_key "$window" Escape
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after Escape, expected 0"

# The same size with --exclusive: the display does not list it.
run_demo --no-dialog --no-sound --exclusive --fullscreen 1600x1200
answer_refusal "after an exclusive mode the display does not offer"

# The screen's own size, listed by Xvfb, with the switch made to fail.
HALVEX_TEST_FAIL_MODE_SWITCH=1 run_demo --no-dialog --no-sound --exclusive --fullscreen 1024x768
answer_refusal "when the listed mode fails to be set"

# Without the fault the same choice shows the demo full screen and no box.
run_demo --no-dialog --no-sound --exclusive --fullscreen 1024x768
window=$(wait_for_window '^ORX Halvex$' 30) || fail "no demo window at the screen's own size"
sleep 1
window_exists '^Chyba$' && fail "a Chyba box at the screen's own size"
[ "$(client_size "$window")" = "1024x768" ] || fail "full-screen client size is $(client_size "$window")"
press_key "$window" Escape
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after Escape, expected 0"

# A driver without framebuffer objects (an OpenGL 2.1 that hides the extension) cannot make the picture.
MESA_GL_VERSION_OVERRIDE=2.1 MESA_EXTENSION_OVERRIDE=-GL_ARB_framebuffer_object \
    run_demo --no-dialog --no-sound --fullscreen 800x600
answer_refusal "without framebuffer objects"
grep -q "no 800x600 picture: the OpenGL driver offers no framebuffer objects" "$work/program.log" ||
    fail "standard error does not say why: $(cat "$work/program.log")"
echo "display_mode_refused: 5 passed, 0 failed"
