#!/usr/bin/env bash
# Full screen on a display that has one mode, of another shape than the demo's 1024 x 768: the window
# covers the display, the picture is scaled with its shape kept (pillarbox on 1920 x 1080, letterbox on
# 1280 x 1024), black around it, the display's mode is the same before, during and after, and Escape ends
# the program with 0. --exclusive with a mode the display does not list is refused and changes nothing.
#
# The picture is compared with halvex-capture's frame at 2000 ms scaled the same way: the title card
# stands still from 1000 to 3000 ms, so a screenshot taken then shows the same picture whatever the live
# clock did. Tolerance: an RMSE of 0.02 of full scale over the picture. ImageMagick's bilinear resize and
# the driver's filtered blit differ only in rounding (measured: 0.0004); the same screenshot against the
# picture stretched over the whole display gives 0.11 on 1920 x 1080 and 0.056 on 1280 x 1024, where
# the shapes differ by 6 % only (the test checks that the stretched one is refused, so the comparison
# can fail).
source "$(dirname "$0")/lib.sh"
passed=0
tolerance=0.02

(cd "$build" && ./halvex-capture --at 2000 --fps 10 --no-sound --out "$work/capture" >"$work/capture.log" 2>&1) ||
    fail "halvex-capture failed: $(cat "$work/capture.log")"
reference="$work/capture/frame-0002000.png"

current_mode() { xrandr 2>/dev/null | awk '/\*/ {print $1; exit}'; }

# rmse A B: the normalised root-mean-square difference of two pictures of one size.
rmse() { compare -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p'; }

below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# black_area SHOT GEOMETRY: true when every pixel of the area is black.
black_area() { [ "$(convert "$1" -crop "$2" +repage -format '%[max]' info:)" = "0" ]; }

# catch_title_card SIZE PICTURE_GEOMETRY: screenshots while the program runs, until one shows the title
# card at the picture's place (compared at a quarter of the size, which is quick enough to keep up with
# a two-second window); true with it in $work/best.png.
catch_title_card() {
    local size=$1 picture=$2 shot="$work/shot.png" value
    convert "$reference" -filter Triangle -resize "${picture%%+*}!" "$work/expected.png"
    convert "$work/expected.png" -scale 25% "$work/expected-small.png"
    local deadline=$((SECONDS + 30))
    while [ $SECONDS -lt $deadline ] && kill -0 "$program_pid" 2>/dev/null; do
        timeout 10 import -window root "$shot" 2>/dev/null || continue
        convert "$shot" -crop "$picture" +repage -scale 25% "$work/centre-small.png"
        value=$(rmse "$work/centre-small.png" "$work/expected-small.png")
        # Stricter than the tolerance: a frame of the fade still near full brightness differs little.
        if below "$value" 0.005; then
            cp "$shot" "$work/best.png"
            return 0
        fi
    done
    return 1
}

# check_display SIZE PICTURE_GEOMETRY BAR_GEOMETRY... with the program started by START (a function):
# the picture found at its place during the title card, the bars black, then Escape. A shared machine
# can stall past the title card's two seconds; then the program is started once more, up to three times.
check_display() {
    local size=$1 picture=$2 window value stretched attempt
    shift 2
    for attempt in 1 2 3; do
        [ "$attempt" -eq 1 ] || start_demo
        window=$(wait_for_window '^ORX Halvex$' 60) || fail "no demo window on $size"
        [ "$(client_size "$window")" = "$size" ] || fail "the window is $(client_size "$window"), the display $size"
        [ "$(current_mode)" = "$size" ] || fail "the display mode is $(current_mode) while the demo runs"
        catch_title_card "$size" "$picture" && break
        echo "on $size the title card went by unseen (attempt $attempt)"
        press_key "$window" Escape
        wait_for_exit 30
        [ "$attempt" -lt 3 ] || fail "on $size no screenshot matched the capture's title card in three runs"
    done
    convert "$work/best.png" -crop "$picture" +repage "$work/centre.png"
    value=$(rmse "$work/centre.png" "$work/expected.png")
    below "$value" "$tolerance" || fail "on $size the picture differs from the scaled capture (RMSE $value)"
    for bar in "$@"; do black_area "$work/best.png" "$bar" || fail "on $size the bar $bar is not black"; done
    # The same screenshot against the picture stretched over the whole display: the comparison sees it.
    convert "$reference" -filter Triangle -resize "$size!" "$work/stretched.png"
    stretched=$(rmse "$work/best.png" "$work/stretched.png")
    below "$stretched" "$tolerance" && fail "a stretched picture would pass as well on $size (RMSE $stretched)"
    echo "on $size: RMSE $value against the scaled capture, $stretched against the stretched one"
    press_key "$window" Escape
    wait_for_exit 30
    [ "$exit_code" -eq 0 ] || fail "exit code $exit_code after Escape on $size"
}

stop_xvfb() {
    kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
}

# 1920 x 1080, the dialog's default (OK): 1024 x 768 full screen, pillarboxed 240 pixels each side.
start_xvfb 1920x1080
before=$(current_mode)
start_demo() {
    (cd "$build" && exec ./halvex32 --no-sound >"$work/program.log" 2>&1) &
    program_pid=$!
    dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
    click_dialog_units "$dialog" 30 158   # OK
}
start_demo
check_display 1920x1080 1440x1080+240+0 240x1080+0+0 240x1080+1680+0
[ "$(current_mode)" = "$before" ] || fail "the display mode is $(current_mode) after the demo, was $before"
passed=$((passed + 1))
stop_xvfb

# 1280 x 1024 (5:4), options instead of the dialog: letterboxed, 32 pixels above and below.
start_xvfb 1280x1024
before=$(current_mode)
start_demo() {
    (cd "$build" && exec ./halvex32 --no-dialog --no-sound --fullscreen 1024x768 >"$work/program.log" 2>&1) &
    program_pid=$!
}
start_demo
check_display 1280x1024 1280x960+0+32 1280x32+0+0 1280x32+0+992
[ "$(current_mode)" = "$before" ] || fail "the display mode is $(current_mode) after the demo, was $before"
passed=$((passed + 1))

# --exclusive asks for a real mode change to 1024 x 768, which this display does not list: the message,
# the quit, and the display's mode as it was.
(cd "$build" && exec ./halvex32 --no-dialog --no-sound --exclusive --fullscreen 1024x768 >"$work/program.log" 2>&1) &
program_pid=$!
box=$(wait_for_window '^Chyba$' 60) || fail "no Chyba box for an exclusive mode the display does not list"
[ "$(current_mode)" = "$before" ] || fail "the display mode is $(current_mode) with the box open, was $before"
press_key "$box" Return
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after the refused exclusive mode, expected 0"
[ "$(current_mode)" = "$before" ] || fail "the display mode is $(current_mode) after the refusal, was $before"
passed=$((passed + 1))
echo "virtual_fullscreen: $passed passed, 0 failed"
