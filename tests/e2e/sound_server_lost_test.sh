#!/usr/bin/env bash
# The sound server failing the demo: killed while the music plays, the picture goes on and Escape still
# ends the program with 0; a server that is there at start-up but has no sink to play into is met as no
# sound device at all: the demo runs silently and ends with 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pulse.sh"
start_xvfb 1024x768
passed=0

# start_demo_with_sound: halvex32 windowed at 800 x 600 with sound on; sets window.
start_demo_with_sound() {
    start_program halvex32
    local dialog
    dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
    click_dialog_units "$dialog" 170 40    # "Přes celou obrazovku": untick; "Zapnuto" stays ticked
    click_dialog_units "$dialog" 24 40     # "800 x 600"
    click_dialog_units "$dialog" 30 158    # OK
    window=$(wait_for_window '^ORX Halvex$' 30) || fail "no demo window after OK"
}

# frames_keep_changing WHAT: a screenshot taken now is followed by a different one within 20 s (the
# title stands still between its fade-in and the first scene), and the program still runs.
frames_keep_changing() {
    import -window "$window" "$work/before.png" 2>/dev/null || fail "no screenshot $1"
    local changed=0 waited
    for waited in $(seq 40); do
        sleep 0.5
        import -window "$window" "$work/after.png" 2>/dev/null || fail "no screenshot $1"
        changed=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1)
        changed=${changed%% *}
        [ "${changed:-0}" -gt 0 ] 2>/dev/null && break
    done
    echo "    $1: $changed pixels changed within $((waited * 5 / 10)).$((waited * 5 % 10)) s"
    [ "${changed:-0}" -gt 0 ] 2>/dev/null || fail "the picture stands still $1"
    process_running "$program_pid" || fail "the demo ended $1"
}

start_pulse
start_demo_with_sound
for _ in $(seq 100); do [ "$(sink_inputs)" -ge 1 ] && break; sleep 0.1; done
[ "$(sink_inputs)" -ge 1 ] || fail "the demo plays nothing into the server"
frames_keep_changing "while the music plays"
stop_process "$pulse_pid"
pulse_pid=""
sleep 1
frames_keep_changing "after the server was killed"
press_key "$window" Escape
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after Escape without the server, expected 0"
sed 's/^/    program: /' "$work/program.log"
passed=$((passed + 1))

stop_pulse
rm -rf "$pulse_dir"
start_pulse --no-sink
pactl list short sinks | grep -q . && fail "the server without a sink has one"
start_demo_with_sound
frames_keep_changing "with a server that has no sink"
# A server without a sink has no streams whatever the program does; what shows that the program met no
# device is that a sink coming now is not taken up: a program that kept a device, or tried again,
# would be playing into it within a few seconds, as the first part's demo played at once.
pactl load-module module-null-sink sink_name=$sink rate=44100 channels=2 >/dev/null || fail "could not add a sink"
for _ in $(seq 30); do
    [ "$(sink_inputs)" -eq 0 ] || break
    sleep 0.1
done
[ "$(sink_inputs)" -eq 0 ] || fail "the demo plays into a sink that came after it found none"
press_key "$window" Escape
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code with a server without a sink, expected 0"
[ -s "$work/program.log" ] && sed 's/^/    program: /' "$work/program.log"
passed=$((passed + 1))
echo "sound_server_lost: $passed passed, 0 failed"
