#!/usr/bin/env bash
# The close box: in the dialog it ends the program with exit code 1; on the demo window it ends the demo
# in order with exit code 0. Full screen at the desktop's own size leaves the screen as it was.
source "$(dirname "$0")/lib.sh"
start_xvfb 1024x768
close_window() { "$build/tests/x-close-window" "$1"; }

start_program halvex32
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
close_window "$dialog"
wait_for_exit 20
[ "$exit_code" -eq 1 ] || fail "exit code $exit_code after closing the dialog, expected 1"

screen_before=$(xdpyinfo | awk '/dimensions:/ {print $2}')
start_program halvex32
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
press_key "$dialog" Return   # OK: 1024 x 768, full screen, sound on
window=$(wait_for_window '^ORX Halvex$' 30) || fail "no demo window"
size=$(client_size "$window")
[ "$size" = "1024x768" ] || fail "full-screen client size is $size, expected 1024x768"
sleep 1
close_window "$window"
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after the close box, expected 0"
screen_after=$(xdpyinfo | awk '/dimensions:/ {print $2}')
[ "$screen_after" = "$screen_before" ] || fail "the screen is $screen_after after the demo, was $screen_before"
echo "close_box: 2 passed, 0 failed"
