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
# Straight to the demo window with no display to be had (no X server on :77, no Wayland): SDL would fall
# back to a driver that shows nothing, and the demo would run unseen. The same message and exit code,
# at once; SDL_VIDEODRIVER naming such a driver is refused alike.
for case in "DISPLAY=:77" "SDL_VIDEODRIVER=offscreen" "SDL_VIDEODRIVER=dummy"; do
    (cd "$build" && env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR "$case" \
        timeout 20 ./halvex32 --no-dialog --window 640x480 --no-sound >"$work/out.txt" 2>"$work/err.txt")
    code=$?
    [ "$code" -ne 124 ] || fail "$case: still running after 20 s with no display; it said: $(cat "$work/err.txt")"
    [ "$code" -eq 1 ] && grep -q "cannot open a display" "$work/err.txt" ||
        fail "$case --no-dialog: exit $code, expected 1 with the display message; it said: $(cat "$work/err.txt")"
done
echo "no_display: 6 passed, 0 failed"
