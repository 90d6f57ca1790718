#!/usr/bin/env bash
# A full-screen size the display does not offer: "Display Mode Not Compatible" in a "Chyba" box; after
# it is answered the program loads, renders nothing, ends with exit code 0 and leaves the screen as it was.
source "$(dirname "$0")/lib.sh"
start_xvfb 1024x768
screen_before=$(xdpyinfo | awk '/dimensions:/ {print $2}')

start_program halvex32
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
click_dialog_units "$dialog" 170 25    # "1600 x 1200", full screen stays ticked
click_dialog_units "$dialog" 30 158    # OK

box=$(wait_for_window '^Chyba$') || fail "no Chyba message box"
import -window root /tmp/box.png 2>/dev/null
press_key "$box" Return
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after a refused mode, expected 0"
screen_after=$(xdpyinfo | awk '/dimensions:/ {print $2}')
[ "$screen_after" = "$screen_before" ] || fail "the screen is $screen_after, was $screen_before"
echo "display_mode_refused: 1 passed, 0 failed"
