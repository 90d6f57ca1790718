#!/usr/bin/env bash
# The real sound path as a listener meets it: halvex32 with sound on plays into a PulseAudio server of
# the test's own (a null sink whose monitor parec records). Silence while the dialog is open; the music
# starts with the first frame; its level is the music file's at the demo's volumes (music 180 and master
# 200 of 255); Escape ends the program with 0 and the server sees its stream close.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pulse.sh"
start_xvfb 1024x768
start_pulse
recording="$work/recording.raw"
start_recording "$recording"
now() { date +%s.%N; }
seconds_between() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", b - a}'; }

start_program halvex32
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
sleep 1   # the dialog stays open a while: nothing may be heard meanwhile
click_dialog_units "$dialog" 170 40    # "Přes celou obrazovku": untick; "Zapnuto" stays ticked
click_dialog_units "$dialog" 24 40     # "800 x 600"
note_recording_size "$recording"
click_dialog_units "$dialog" 30 158    # OK
dialog_closed=$(now)

# The window appears, is filled by the first frame after loading, and the music is heard: each moment
# on the wall clock, polled as fast as the tools allow (each figure is late by at most one poll).
window=""
for _ in $(seq 600); do
    note_recording_size "$recording"
    window=$(timeout 10 xdotool search --onlyvisible --name '^ORX Halvex$' 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    process_running "$program_pid" || fail "the program ended before its demo window appeared"
    sleep 0.05
done
window_shown=$(now)
[ -n "$window" ] || fail "no demo window after OK"
# The title fades in over the first second of the demo clock, which starts with the first frame: the
# brightest pixel of a screenshot taken then (0 to 1) is the clock's reading in seconds, so the first
# frame was drawn that long before the screenshot began.
first_frame=""
for _ in $(seq 300); do
    note_recording_size "$recording"
    taken=$(now)
    brightest=$(import -window "$window" -colorspace gray -format '%[fx:maxima]' info: 2>/dev/null)
    if awk -v m="${brightest:-0}" 'BEGIN {exit !(m > 0)}'; then
        first_frame=$(awk -v t="$taken" -v m="$brightest" 'BEGIN {printf "%.4f", t - (m < 1 ? m : 1)}')
        break
    fi
    sleep 0.05
done
[ -n "$first_frame" ] || fail "the demo window stays black"
# A machine so loaded that the first screenshot came after the fade-in: the first frame is then only
# known to lie after the window appeared, and the loading counts into the delay.
limit=1.0
if ! awk -v m="$brightest" 'BEGIN {exit !(m < 0.95)}'; then
    echo "    the first screenshot came after the fade-in: the delay is measured from the window instead"
    first_frame=$window_shown
    limit=5.0
fi
for _ in $(seq 80); do
    note_recording_size "$recording"
    sleep 0.1
done
process_running "$program_pid" || fail "the demo ended by itself"
[ "$(sink_inputs)" -ge 1 ] || fail "no stream plays into the server"

# The music's own lead-in: the file rises through the threshold (scaled by the demo's gain) this late.
music="$build/data/sound/ikarie.mp3"
gain_db=$(awk 'BEGIN {printf "%.2f", 20 * log((180 / 255) * (200 / 255)) / log(10)}')
threshold=0.001   # -60 dBFS, far above OpenAL Soft's dither
lead_in=$(first_above "$music" "$(awk -v t=$threshold -v g="$gain_db" 'BEGIN {print t / 10 ^ (g / 20)}')")
heard_at=$(first_above "$recording" "$threshold")
[ -n "$heard_at" ] || fail "nothing was heard: the recording stays below $threshold"
heard=$(awk -v s="$recording_start" -v o="$heard_at" 'BEGIN {printf "%.4f", s + o}')
music_start=$(awk -v h="$heard" -v l="$lead_in" 'BEGIN {printf "%.4f", h - l}')
silent_until=$(seconds_between "$recording_start" "$dialog_closed")
echo "    dialog closed at +0; window shown at +$(seconds_between "$dialog_closed" "$window_shown") s;" \
     "first frame at +$(seconds_between "$dialog_closed" "$first_frame") s;" \
     "music above -60 dBFS at +$(seconds_between "$dialog_closed" "$heard") s" \
     "(the file's own lead-in to that level: $lead_in s)"
delay=$(seconds_between "$first_frame" "$music_start")
echo "    music start heard $delay s after the first frame," \
     "$(seconds_between "$window_shown" "$music_start") s after the window appeared"
# Nothing before OK: the recording up to the dialog's end is digital silence.
peak_dialog=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$recording" -n trim 0 "$silent_until" stat 2>&1 |
    awk '/Maximum amplitude/ {print $3}')
awk -v p="$peak_dialog" 'BEGIN {exit !(p == 0)}' || fail "sound while the dialog was open (peak $peak_dialog)"
awk -v h="$heard_at" -v d="$silent_until" 'BEGIN {exit !(h > d)}' || fail "music heard before the dialog closed"
# The demo starts the music right before its first frame; the output's latency lies between. A second
# is far above it, so a loaded machine does not make this fail.
awk -v d="$delay" -v l="$limit" 'BEGIN {exit !(d < l)}' || fail "the music started $delay s after the first frame"

# Four seconds from the music's start (the first effect comes at 7 s): the file's level at the gain.
offset=$(seconds_between "$recording_start" "$music_start")
recorded_db=$(rms_db "$recording" "$offset" 4)
file_db=$(rms_db "$music" 0 4)
difference=$(awk -v r="$recorded_db" -v f="$file_db" 'BEGIN {printf "%.2f", r - f}')
echo "    level over 4 s: recorded $recorded_db dBFS, file $file_db dBFS: $difference dB, expected $gain_db dB"
awk -v d="$difference" -v g="$gain_db" 'BEGIN {e = d - g; exit !(e > -3 && e < 3)}' ||
    fail "the music plays $difference dB against the file, expected $gain_db dB within 3 dB"

press_key "$window" Escape
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after Escape, expected 0"
for _ in $(seq 50); do [ "$(sink_inputs)" -eq 0 ] && break; sleep 0.1; done
[ "$(sink_inputs)" -eq 0 ] || fail "the server still has $(sink_inputs) stream(s) after the exit"
echo "sound_server: 1 passed, 0 failed"
