#!/usr/bin/env bash
# A full-screen size the display does not offer: "Display Mode Not Compatible" in a "Chyba" box; after
# it is answered the program loads, renders nothing, ends with exit code 0 and leaves the screen as it was.
# The same for a size the display lists but then fails to switch to (forced: Xvfb never fails its one
# mode), while that size without the fault shows the demo and no box.
source "$(dirname "$0")/lib.sh"
start_xvfb 1024x768
screen_before=$(xdpyinfo | awk '/dimensions:/ {print $2}')

start_program halvex32
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
click_dialog_units "$dialog" 170 25    # "1600 x 1200", full screen stays ticked
click_dialog_units "$dialog" 30 158    # OK

box=$(wait_for_window '^Chyba$') || fail "no Chyba message box"
press_key "$box" Return
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after a refused mode, expected 0"
screen_after=$(xdpyinfo | awk '/dimensions:/ {print $2}')
[ "$screen_after" = "$screen_before" ] || fail "the screen is $screen_after, was $screen_before"

# The screen's own size, listed by Xvfb, with the switch made to fail.
(cd "$build" && HALVEX_TEST_FAIL_MODE_SWITCH=1 exec ./halvex32 >"$work/program.log" 2>&1) &
program_pid=$!
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
click_dialog_units "$dialog" 30 158    # OK: 1024 x 768, full screen
box=$(wait_for_window '^Chyba$') || fail "no Chyba message box when the listed mode fails to be set"
press_key "$box" Return
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after a failed mode switch, expected 0"
[ "$(xdpyinfo | awk '/dimensions:/ {print $2}')" = "$screen_before" ] || fail "the screen changed"

# Without the fault the same choice shows the demo full screen and no box.
start_program halvex32
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
click_dialog_units "$dialog" 30 158
window=$(wait_for_window '^ORX Halvex$' 30) || fail "no demo window at the screen's own size"
sleep 1
window_exists '^Chyba$' && fail "a Chyba box at the screen's own size"
[ "$(client_size "$window")" = "1024x768" ] || fail "full-screen client size is $(client_size "$window")"
press_key "$window" Escape
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after Escape, expected 0"
echo "display_mode_refused: 3 passed, 0 failed"
