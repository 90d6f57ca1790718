#!/usr/bin/env bash
# As a user: untick full screen, choose 800 x 600, OK; the window's client area is 800 x 600; Escape
# ends the demo with exit code 0.
source "$(dirname "$0")/lib.sh"
start_xvfb 1024x768
start_program halvex32
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"

click_dialog_units "$dialog" 170 40    # "Přes celou obrazovku": untick
click_dialog_units "$dialog" 24 40     # "800 x 600"
click_dialog_units "$dialog" 30 158    # OK

window=$(wait_for_window '^ORX Halvex$' 30) || fail "no demo window after OK"
window_exists 'ORX Halvex v1' && fail "the dialog is still open"
size=$(client_size "$window")
[ "$size" = "800x600" ] || fail "client size is $size, expected 800x600"

sleep 1
process_running "$program_pid" || fail "the demo ended by itself"
press_key "$window" Escape
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after Escape, expected 0"
echo "dialog_window: 1 passed, 0 failed"
