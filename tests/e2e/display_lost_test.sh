#!/usr/bin/env bash
# The display going away under the running demo (its X server ends): the program ends promptly, says
# why on standard error and exits with a non-zero code of its own, not by a signal (no core dump).
source "$(dirname "$0")/lib.sh"
passed=0
for sound in on off; do
    start_xvfb 1024x768
    start_program halvex32
    dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
    click_dialog_units "$dialog" 170 40                       # "Přes celou obrazovku": untick
    [ "$sound" = off ] && click_dialog_units "$dialog" 25 78   # "Zapnuto": untick
    click_dialog_units "$dialog" 30 158                       # OK
    wait_for_window '^ORX Halvex$' 30 >/dev/null || fail "no demo window after OK"
    sleep 1
    process_running "$program_pid" || fail "the demo ended by itself"
    stop_process "$xvfb_pid"
    xvfb_pid=""
    wait_for_exit 20
    echo "    sound $sound: exit code $exit_code; $(grep '^halvex:' "$work/program.log")"
    [ "$exit_code" -ne 0 ] || fail "exit code 0 after the display went away"
    [ "$exit_code" -lt 128 ] || fail "ended by signal $((exit_code - 128)) after the display went away"
    grep -q "display" "$work/program.log" || fail "no word about the lost display on standard error"
    passed=$((passed + 1))
done
echo "display_lost: $passed passed, 0 failed"
