#!/usr/bin/env bash
# The command line as a user types it: --help and --version answer with no display at all; a bad option
# or size is named on one line with exit code 2 and no window; under Xvfb, --no-dialog --window 640x480
# --no-sound opens the 640 x 480 demo window at once (no dialog, no message box: started from a foreign
# folder, the program finds its own data), with the menu entry's window class and an icon; Escape ends
# it with 0. A preselected size that is none of the dialog's five is kept by OK.
source "$(dirname "$0")/lib.sh"
passed=0

# 1. Answers that need no window: run with no display, so any attempt at one would fail.
for program in halvex32 halvex16; do
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$build/$program" --help 2>"$work/err") || fail "$program --help: exit $?"
    [ -s "$work/err" ] && fail "$program --help wrote to standard error: $(cat "$work/err")"
    grep -q "^usage: $program" <<<"$out" || fail "$program --help does not start with its usage"
    for option in --window --fullscreen --no-sound --no-dialog --version; do
        grep -qF -- "$option" <<<"$out" || fail "$program --help does not list $option"
    done
    version=$(env -u DISPLAY "$build/$program" --version) || fail "$program --version: exit $?"
    grep -qE "^$program \(ORX Halvex\) [0-9]+\.[0-9]+\.[0-9]+$" <<<"$version" || fail "$program --version said: $version"
done
passed=$((passed + 1))

# 2. Bad lines: exit code 2, one line naming the culprit, nothing else started (a display is offered).
start_xvfb 1280x1024
check_refused() {
    local expected=$1
    shift
    (cd "$work" && exec timeout 20 "$build/halvex32" "$@" >"$work/out" 2>"$work/err")
    local code=$?
    [ "$code" -ne 124 ] || fail "halvex32 $* did not end within 20 s; it said: $(cat "$work/err")"
    [ "$code" -eq 2 ] || fail "halvex32 $* exited with $code, expected 2"
    [ "$(wc -l <"$work/err")" -eq 1 ] && grep -qF -- "$expected" "$work/err" ||
        fail "halvex32 $*: expected one line naming $expected, got: $(cat "$work/err")"
    [ -s "$work/out" ] && fail "halvex32 $* wrote to standard output"
    window_exists 'ORX Halvex' && fail "halvex32 $* opened a window"
    return 0
}
check_refused '"--frobnicate"' --frobnicate
check_refused '"640x"' --window 640x
check_refused '"0x480"' --no-dialog --fullscreen 0x480
check_refused '"extra"' --no-sound extra
passed=$((passed + 1))

# 3. --no-dialog from a foreign folder: the window at once, its class, its icon, Escape.
mkdir -p "$work/foreign"
(cd "$work/foreign" && exec env -u HALVEX_DATA_DIR "$build/halvex32" --no-dialog --window 640x480 --no-sound \
    >"$work/program.log" 2>&1) &
program_pid=$!
window=$(wait_for_window '^ORX Halvex$' 30) || fail "no demo window with --no-dialog"
window_exists 'ORX Halvex v1' && fail "the settings dialog opened despite --no-dialog"
xwininfo -root -tree | grep -qF -e 'chxba TorEnginu' -e '"Chyba"' && fail "a message box is open: the data was not found"
size=$(client_size "$window")
[ "$size" = "640x480" ] || fail "client size is $size, expected 640x480"
xprop -id "$window" WM_CLASS | grep -qF '"halvex"' || fail "window class is $(xprop -id "$window" WM_CLASS)"
icon=$(timeout 10 xprop -id "$window" _NET_WM_ICON 2>&1)
grep -qF 'Icon (48 x 48)' <<<"$icon" || fail "the window carries no 48 px icon: $(head -c 300 <<<"$icon")"
sleep 1
process_running "$program_pid" || fail "the demo ended by itself"
press_key "$window" Escape
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after Escape, expected 0"
grep -qF "no data/ folder" "$work/program.log" && fail "the program did not find its data"
passed=$((passed + 1))

# 4. A size the dialog does not offer: no size button ticked, OK keeps it.
(cd "$build" && exec ./halvex32 --window 1000x700 --no-sound >"$work/program.log" 2>&1) &
program_pid=$!
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog with --window 1000x700"
click_dialog_units "$dialog" 30 158    # OK
window=$(wait_for_window '^ORX Halvex$' 30) || fail "no demo window after OK"
size=$(client_size "$window")
[ "$size" = "1000x700" ] || fail "client size is $size after OK, expected the preselected 1000x700"
press_key "$window" Escape
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after Escape, expected 0"
passed=$((passed + 1))
echo "command_line: $passed passed, 0 failed"
