#!/usr/bin/env bash
# "Konec" and Escape in the settings dialog end the program with exit code 1, and no demo window appears.
source "$(dirname "$0")/lib.sh"
start_xvfb 1024x768

start_program halvex32
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
click_dialog_units "$dialog" 245 158   # "Konec"
wait_for_exit 20
[ "$exit_code" -eq 1 ] || fail "exit code $exit_code after Konec, expected 1"
grep -q . "$work/program.log" && fail "unexpected output after Konec"

start_program halvex16
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog in halvex16"
press_key "$dialog" Escape
wait_for_exit 20
[ "$exit_code" -eq 1 ] || fail "exit code $exit_code after Escape in the dialog, expected 1"
window_exists '^ORX Halvex$' && fail "a demo window appeared"
echo "dialog_quit: 2 passed, 0 failed"
