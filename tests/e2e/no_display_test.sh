#!/usr/bin/env bash
# Without any display the program cannot show its dialog: it says so on standard error and exits 1.
source "$(dirname "$0")/lib.sh"
for program in halvex32 halvex16; do
    (cd "$build" && env -u DISPLAY -u WAYLAND_DISPLAY "./$program" >"$work/out.txt" 2>"$work/err.txt")
    code=$?
    [ "$code" -eq 1 ] || fail "$program without a display: exit $code, expected 1"
    grep -q "cannot open a display" "$work/err.txt" || fail "$program without a display said: $(cat "$work/err.txt")"
done
# A display that is named but not there: a few tries, then the same message.
(cd "$build" && env -u WAYLAND_DISPLAY DISPLAY=:97 timeout 20 ./halvex32 >"$work/out.txt" 2>"$work/err.txt")
code=$?
[ "$code" -eq 1 ] && grep -q "cannot open a display" "$work/err.txt" || fail "a missing display :97 gave exit $code"
echo "no_display: 3 passed, 0 failed"
