#!/usr/bin/env bash
# halvex-capture's video presets as a video site and an archive read them (ffprobe), and a run stopped
# with Ctrl+C: the web file's codecs, profile, GOP, B-frames, index and length; the master's lossless
# pictures equal to the PNG frames; a stopped run leaves a file as long as what was rendered.
source "$(dirname "$0")/lib.sh"
capture="$build/halvex-capture"
command -v ffprobe >/dev/null || fail "ffprobe is missing (scripts/install-deps installs ffmpeg)"
passed=0
check() { passed=$((passed + 1)); }
probe() { ffprobe -v error -of default=nw=1 "$@"; }
frames_in() { ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1"; }

# 3 s at 10 fps: GOPs of 5 frames, sound mixed at 44.1 kHz and encoded at 48 kHz.
"$capture" --video "$work/web.mp4" --preset web --to 3000 --fps 10 --size 160x120 --rate 44100 2>"$work/web.log" ||
    fail "the web run failed: $(cat "$work/web.log")"
video=$(probe -select_streams v:0 -show_entries stream=codec_name,profile,pix_fmt,width,height,r_frame_rate "$work/web.mp4")
for want in codec_name=h264 profile=High pix_fmt=yuv420p width=160 height=120 r_frame_rate=10/1; do
    grep -qx "$want" <<<"$video" || fail "web video: no $want in: $video"
done
audio=$(probe -select_streams a:0 -show_entries stream=codec_name,profile,sample_rate,channels "$work/web.mp4")
for want in codec_name=aac profile=LC sample_rate=48000 channels=2; do
    grep -qx "$want" <<<"$audio" || fail "web sound: no $want in: $audio"
done
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/web.mp4")
awk -v d="$duration" 'BEGIN { exit !(d > 2.9 && d < 3.1) }' || fail "web duration $duration s, asked 3 s (one frame is 0.1 s)"
[ "$(frames_in "$work/web.mp4")" = 30 ] || fail "the web file holds $(frames_in "$work/web.mp4") frames, not 30"
check

# Key frames (IDR, so every GOP is closed) exactly every 5 frames; B-frames, never more than 2 in a row.
types=$(ffprobe -v error -select_streams v:0 -show_entries frame=key_frame,pict_type -of csv=p=0 "$work/web.mp4" | grep -o '^[01],[IPB]')
keys=$(awk -F, '$1 == 1 { printf "%d ", NR - 1 }' <<<"$types")
[ "$keys" = "0 5 10 15 20 25 " ] || fail "key frames at $keys, expected every 5 frames"
pictures=$(cut -d, -f2 <<<"$types" | tr -d '\n')
grep -q B <<<"$pictures" || fail "no B-frames: $pictures"
grep -q BBB <<<"$pictures" && fail "more than 2 B-frames in a row: $pictures"
check

# The index (moov) lies before the media data (mdat), so a player can start before the download ends.
moov=$(grep -obUam1 moov "$work/web.mp4" | head -n1 | cut -d: -f1)
mdat=$(grep -obUam1 mdat "$work/web.mp4" | head -n1 | cut -d: -f1)
[ -n "$moov" ] && [ -n "$mdat" ] && [ "$moov" -lt "$mdat" ] || fail "moov at $moov, mdat at $mdat: the index is not at the front"
check

# The master: FFV1 and FLAC, and every decoded frame equals the PNG frame of the same run.
"$capture" --video "$work/master.mkv" --preset master --out "$work/frames" --to 1000 --fps 10 --size 160x120 \
    --rate 48000 2>"$work/master.log" || fail "the master run failed: $(cat "$work/master.log")"
streams=$(probe -show_entries stream=codec_name,sample_rate "$work/master.mkv")
grep -qx codec_name=ffv1 <<<"$streams" && grep -qx codec_name=flac <<<"$streams" && grep -qx sample_rate=48000 <<<"$streams" ||
    fail "master streams: $streams"
ffmpeg -v error -i "$work/master.mkv" -f rawvideo -pix_fmt rgb24 "$work/master.rgb" || fail "the master does not decode"
convert "$work"/frames/frame-*.png -depth 8 rgb:"$work/frames.rgb" || fail "the PNG frames do not convert"
[ "$(stat -c %s "$work/frames.rgb")" -eq $((160 * 120 * 3 * 10)) ] || fail "expected 10 PNG frames"
cmp -s "$work/master.rgb" "$work/frames.rgb" || fail "the master's pixels differ from the PNG frames"
check

# start_long_run NAME: a long web run to $work/NAME.mp4 in the background, back once it has rendered
# frames (or has ended: the checks that follow say how).
start_long_run() {
    "$capture" --video "$work/$1.mp4" --to 600000 --fps 10 --size 160x120 2>"$work/$1.log" &
    program_pid=$!
    local deadline=$((SECONDS + 60))
    while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$program_pid" 2>/dev/null; do
        grep -q 'frame [1-9]' "$work/$1.log" && return 0
        sleep 0.1
    done
}

# Ctrl+C in the middle of a web run: exit 130, and a file ffprobe reads, holding every frame rendered.
start_long_run stopped
kill -INT "$program_pid"
wait "$program_pid"; code=$?
program_pid=""
[ "$code" -eq 130 ] || fail "a stopped run gave exit $code: $(cat "$work/stopped.log")"
rendered=$(sed -n 's/.* \([0-9]*\) frames rendered;.*/\1/p' "$work/stopped.log")
[ -n "$rendered" ] && [ "$rendered" -gt 0 ] && [ "$rendered" -lt 6000 ] || fail "frames rendered: '$rendered'"
[ "$(frames_in "$work/stopped.mp4")" = "$rendered" ] ||
    fail "the stopped file holds $(frames_in "$work/stopped.mp4") frames; $rendered were rendered"
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/stopped.mp4")
awk -v d="$duration" -v n="$rendered" 'BEGIN { exit !(d > n / 10 - 0.1 && d < n / 10 + 0.1) }' ||
    fail "the stopped file lasts $duration s for $rendered frames at 10 fps"
check

# A second Ctrl+C stops at once and takes ffmpeg with it.
start_long_run twice
# ffmpeg held still: the files cannot be finished, so only the second Ctrl+C can end the run, however
# quickly a small video would otherwise be closed after the first.
encoder=$(pgrep -P "$program_pid" -x ffmpeg | head -n1)
[ -n "$encoder" ] || fail "no ffmpeg under the run"
kill -STOP "$encoder"
kill -INT "$program_pid"; sleep 0.5; kill -INT "$program_pid"
for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$program_pid" 2>/dev/null; then
    kill -KILL "$encoder" 2>/dev/null
    fail "the second Ctrl+C did not stop the run within 10 s"
fi
wait "$program_pid"; code=$?
program_pid=""
[ "$code" -eq 130 ] || fail "a run stopped twice gave exit $code"
grep -q 'frames rendered' "$work/twice.log" && fail "the second Ctrl+C let the run finish its files"
sleep 0.5
pgrep -f "$work/twice.mp4" >/dev/null && fail "ffmpeg is still running after the second Ctrl+C"
check

echo "capture_video: $passed passed, 0 failed"
