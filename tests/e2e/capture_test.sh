#!/usr/bin/env bash
# halvex-capture as a reviewer uses it: help, refused options, a two-second run at 10 fps with frames,
# sound and a contact sheet, --at, and byte-identical output from two runs with the same options.
source "$(dirname "$0")/lib.sh"
capture="$build/halvex-capture"
passed=0
check() { passed=$((passed + 1)); }

"$capture" --help >"$work/help.txt" || fail "--help did not exit 0"
grep -q -- '--at' "$work/help.txt" && grep -q -- '--benchmark' "$work/help.txt" || fail "--help does not explain the options"
# It says where the whole demo ends: a moment of the demo's clock, the same at every rate.
"$capture" --help --fps 10 >"$work/help10.txt" || fail "--help --fps 10 did not exit 0"
at30=$(sed -n 's/.*the demo ends at \([0-9.]*\) s:.*/\1/p' "$work/help.txt")
at10=$(sed -n 's/.*the demo ends at \([0-9.]*\) s:.*/\1/p' "$work/help10.txt")
[ -n "$at30" ] && [ "$at10" = "$at30" ] && awk -v a="$at30" 'BEGIN { exit !(a > 290) }' ||
    fail "--help gives the end as '$at30' s at 30 fps and '$at10' s at 10 fps"
check

"$capture" --size 12x 2>"$work/err.txt"; code=$?
[ "$code" -eq 2 ] && grep -q -- '--size' "$work/err.txt" || fail "a bad size gave exit $code: $(cat "$work/err.txt")"
"$capture" --from 3000 --to 1000 2>"$work/err.txt"; code=$?
[ "$code" -eq 2 ] && grep -q 'ends before it starts' "$work/err.txt" || fail "a reversed range gave exit $code"
"$capture" --at 1234 --fps 10 2>"$work/err.txt"; code=$?
[ "$code" -eq 2 ] && grep -q 'whole number of frame steps' "$work/err.txt" || fail "--at off the steps gave exit $code"
check

run_short() {
    "$capture" --out "$1/frames" --to 2000 --fps 10 --size 160x120 --audio "$1/sound.wav" --sheet "$1/sheet.png" \
        --every 500 --seed 3 2>"$1/log.txt" || fail "the capture run failed: $(cat "$1/log.txt")"
}
mkdir -p "$work/a" "$work/b"
run_short "$work/a"
count=$(ls "$work/a/frames" | wc -l)
[ "$count" -eq 20 ] || fail "2 s at 10 fps wrote $count frames, expected 20"
[ -f "$work/a/frames/frame-0000000.png" ] && [ -f "$work/a/frames/frame-0001900.png" ] || fail "frame names: $(ls "$work/a/frames" | head -3)"
[ "$(identify -format '%wx%h' "$work/a/frames/frame-0001000.png")" = "160x120" ] || fail "frame size is not 160x120"
[ "$(identify -format '%w' "$work/a/sheet.png")" -gt 0 ] || fail "no contact sheet"
check

# Progress off a terminal is plain lines; on one (script gives the run a terminal) a line updated in place.
grep -q $'\r' "$work/a/log.txt" && fail "the log of a run off a terminal holds carriage returns"
grep -q '^frame 20/20  demo time 1.900 s' "$work/a/log.txt" || fail "no final progress line: $(cat "$work/a/log.txt")"
script -qec "$capture --to 1000 --fps 10 --size 160x120 --no-sound" /dev/null >"$work/tty.txt" 2>&1 </dev/null ||
    fail "the run on a terminal failed: $(cat "$work/tty.txt")"
grep -q $'\rframe 10/10' "$work/tty.txt" || fail "no progress in place on a terminal: $(cat -A "$work/tty.txt" | head -n 3)"
check

# 16-bit stereo at 44.1 kHz: 2 s of frames is 88200 sample frames, 352800 bytes after the header.
bytes=$(( $(stat -c %s "$work/a/sound.wav") - 44 ))
[ "$bytes" -eq 352800 ] || fail "the sound holds $bytes bytes, expected 352800 (20 frames x 100 ms)"
check

run_short "$work/b"
for f in "$work"/a/frames/*.png; do
    cmp -s "$f" "$work/b/frames/$(basename "$f")" || fail "$(basename "$f") differs between two identical runs"
done
cmp -s "$work/a/sound.wav" "$work/b/sound.wav" || fail "the sound differs between two identical runs"
check

"$capture" --out "$work/at" --at 0,500,1500 --fps 10 --size 160x120 --no-sound 2>"$work/at.log" || fail "--at run failed: $(cat "$work/at.log")"
[ "$(ls "$work/at" | tr '\n' ' ')" = "frame-0000000.png frame-0000500.png frame-0001500.png " ] || fail "--at wrote $(ls "$work/at" | tr '\n' ' ')"
# --at renders every frame up to the last one asked for, so its frame equals the same frame of a range run.
"$capture" --out "$work/range" --to 1600 --fps 10 --size 160x120 --no-sound 2>/dev/null || fail "range run failed"
cmp -s "$work/at/frame-0001500.png" "$work/range/frame-0001500.png" || fail "--at 1500 differs from the range run's frame"
check

echo "capture: $passed passed, 0 failed"
