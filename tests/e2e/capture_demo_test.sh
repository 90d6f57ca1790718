#!/usr/bin/env bash
# halvex-capture over the whole demo: the default run ends after the music and after the last credit
# line has left the screen, at the same moment at any rate; no cut flashes; halvex16 has its sky; memory
# does not grow with the run; frames after --from equal those of a run drawn at full size from 0, through
# the motion blur that carries pixels from frame to frame, in both looks (the true shape and
# --original-aspect); and a supersampled frame is the mean of each block of a render at twice the size.
source "$(dirname "$0")/lib.sh"
capture="$build/halvex-capture"
passed=0
check() { passed=$((passed + 1)); }
# Pixels whose three channels are all near white: the credits are white text; the metal logo, the hall and
# the fog of scene 4 are not. At 160 x 120 the credits' small lines are a few dozen such pixels.
white_pixels() {
    convert "$1" -channel RGB -separate -evaluate-sequence min -threshold 92% -format '%[fx:round(mean*w*h)]' info:
}

# At 1 fps each frame moves the credits by what the 60 Hz frames of its second would have, so they
# leave when they do at 60 Hz, and the run ends where --help says at any rate.
"$capture" --fps 1 --size 160x120 --out "$work/whole" --no-sound 2>"$work/whole.log" || fail "the default run failed"
"$capture" --help --fps 60 >"$work/help60.txt" || fail "--help --fps 60 did not exit 0"
end=$(sed -n 's/.*the demo ends at \([0-9.]*\) s:.*/\1/p' "$work/whole.log")
gone=$(sed -n 's/.*has left the screen at \([0-9.]*\) s.*/\1/p' "$work/whole.log")
[ -n "$end" ] && [ -n "$gone" ] || fail "the run does not say where it ends: $(head -n 3 "$work/whole.log")"
grep -q "the demo ends at $end s:" "$work/help60.txt" || fail "the run at 1 fps ends at $end s, --help at 60 fps says: $(tail -n 1 "$work/help60.txt")"
awk -v e="$end" -v g="$gone" 'BEGIN { exit !(e > g && g > 250) }' || fail "the end $end s is not after the credits ($gone s)"
last=$(ls "$work/whole" | tail -n 1)
[ "$last" = "$(printf 'frame-%07d.png' $(awk -v e="$end" 'BEGIN { print (e == int(e) ? e - 1 : int(e)) * 1000 }'))" ] ||
    fail "the last frame written is $last for an end at $end s"
[ "$(white_pixels "$work/whole/frame-0250000.png")" -gt 20 ] || fail "no credit text found at 250 s: the check is blind"
[ "$(white_pixels "$work/whole/$(printf 'frame-%07d.png' $(awk -v g="$gone" 'BEGIN { print (int(g) + 1) * 1000 }'))")" -eq 0 ] ||
    fail "the first frame after $gone s still shows credit text"
check

# A frame on a scene's very first millisecond is faded fully to black, not the scene at full brightness
# between two black frames.
for t in 0130000 0150000 0189000; do
    mean=$(convert "$work/whole/frame-$t.png" -format '%[fx:round(mean*255)]' info:)
    [ "$mean" -lt 10 ] || fail "the cut at $t ms flashes: mean $mean of 255"
done
check

# halvex16 draws its sky as halvex32 does: its depth buffer reaches the sky box 40000 units out.
for bits in 16 32; do
    "$capture" --bits $bits --at 10000,100000 --fps 10 --size 320x240 --no-sound --out "$work/bits$bits" 2>/dev/null ||
        fail "the --bits $bits run failed"
done
for t in 0010000 0100000; do
    m16=$(convert "$work/bits16/frame-$t.png" -format '%[fx:mean*255]' info:)
    m32=$(convert "$work/bits32/frame-$t.png" -format '%[fx:mean*255]' info:)
    awk -v a="$m16" -v b="$m32" 'BEGIN { exit !(b > 3 && a > b * 0.85 && a < b * 1.15) }' ||
        fail "at $t ms halvex16's picture has mean $m16, halvex32's $m32: the sky is missing"
done
check

# Peak memory of a 60 s run within 10 % of a 10 s run.
peak() { sed -n 's/.*peak resident memory: \([0-9.]*\) MB.*/\1/p' "$1"; }
# Under AddressSanitizer freed blocks wait in a quarantine that fills with the run's length; it is the
# sanitizer's memory, not the tool's, so these two runs go without it (other builds ignore the option).
no_quarantine=${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=0
ASAN_OPTIONS=$no_quarantine "$capture" --to 10000 --fps 10 --size 320x240 --no-sound 2>"$work/short.log" ||
    fail "the 10 s run failed"
ASAN_OPTIONS=$no_quarantine "$capture" --to 60000 --fps 10 --size 320x240 --no-sound 2>"$work/long.log" ||
    fail "the 60 s run failed"
short=$(peak "$work/short.log"); long=$(peak "$work/long.log")
awk -v s="$short" -v l="$long" 'BEGIN { exit !(s > 0 && l < s * 1.1 && l > s * 0.9) }' ||
    fail "peak memory $short MB for 10 s, $long MB for 60 s"
check

# 688 x 516 is large enough for the small render before --from: 684 x 513 in the true shape (4:3 in
# the smallest multiple that holds the corner), 512 x 512 in the original look (integer ratio 1). Scene 2
# starts at 130 s and feeds its picture back every frame; a run from 131 s renders its first second
# small. The run from 0 is drawn at full size throughout because every frame goes into its lossless video.
for look in true original; do
    option=; [ $look = original ] && option=--original-aspect
    "$capture" $option --to 132000 --fps 2 --size 688x516 --no-sound --video "$work/full-$look.mkv" --preset master \
        2>"$work/full.log" || fail "the $look look's run from 0 failed: $(cat "$work/full.log")"
    "$capture" $option --from 131000 --to 132000 --fps 2 --size 688x516 --no-sound --out "$work/from-$look" \
        2>"$work/from.log" || fail "the $look look's run from 131 s failed"
    [ "$(ls "$work/from-$look" | tr '\n' ' ')" = "frame-0131000.png frame-0131500.png " ] ||
        fail "the $look look's run from 131 s wrote $(ls "$work/from-$look")"
    ffmpeg -v error -i "$work/full-$look.mkv" -vf 'select=gte(n\,262)' -vsync 0 -f rawvideo -pix_fmt rgb24 \
        "$work/full-$look.rgb" || fail "the lossless video does not decode"
    convert "$work"/from-$look/*.png -depth 8 rgb:"$work/from-$look.rgb"
    cmp -s "$work/full-$look.rgb" "$work/from-$look.rgb" ||
        fail "the $look look's frames from 131 s differ from those of the run drawn at full size from 0"
done
# The two looks are two pictures: the check above compares each with itself, not one picture twice.
cmp -s "$work/full-true.rgb" "$work/full-original.rgb" && fail "the original look draws the true shape"
check

# --supersample 2 at 160 x 120 against a render at 320 x 240 averaged here. Both renders are the same
# picture (the same size, state and times), and the mean of each 2 x 2 block is rounded here as the tool
# documents (halves up), so no difference at all is allowed: any is a wrong block, row order or rounding.
# The title's letters (2 s) and the motion blur (140 s), at 5 fps to keep the runs short.
"$capture" --at 2000,140000 --fps 5 --size 160x120 --supersample 2 --no-sound --out "$work/ss" 2>/dev/null ||
    fail "the supersampled run failed"
"$capture" --at 2000,140000 --fps 5 --size 320x240 --no-sound --out "$work/big" 2>/dev/null || fail "the large run failed"
for t in 0002000 0140000; do
    convert "$work/big/frame-$t.png" -depth 8 rgb:- | od -An -v -tu1 -w960 >"$work/big.txt"
    convert "$work/ss/frame-$t.png" -depth 8 rgb:- | od -An -v -tu1 -w480 >"$work/ss.txt"
    worst=$(awk 'NR == FNR { for (i = 1; i <= NF; ++i) big[FNR - 1, i - 1] = $i; next }
        { for (x = 0; x < 160; ++x) for (c = 0; c < 3; ++c) {
              y = FNR - 1; s = 0
              for (j = 0; j < 2; ++j) for (i = 0; i < 2; ++i) s += big[2 * y + j, (2 * x + i) * 3 + c]
              d = $(x * 3 + c + 1) - int((s + 2) / 4); if (d < 0) d = -d; if (d > worst) worst = d
          } }
        END { print worst + 0 }' "$work/big.txt" "$work/ss.txt")
    [ "$worst" -eq 0 ] || fail "frame $t: the supersampled picture differs by up to $worst from the mean of the large one"
done
# Supersampling smooths: the picture is not simply every other pixel of the large one.
convert "$work/big/frame-0002000.png" -sample 50% "$work/sampled.png"
cmp -s <(convert "$work/sampled.png" -depth 8 rgb:-) <(convert "$work/ss/frame-0002000.png" -depth 8 rgb:-) &&
    fail "the supersampled frame equals a point-sampled one"
check

echo "capture_demo: $passed passed, 0 failed"
