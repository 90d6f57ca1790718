# A PulseAudio server of the test's own, for the end-to-end tests of the real sound path: a user daemon
# whose home, runtime folder and socket lie in the test's folder, so it runs as root in CI and never
# meets a desktop's server. Sourced after lib.sh.
pulse_pid=""
recorder_pid=""
pulse_dir="$work/pulse"
sink=halvex_test

stop_pulse() {
    stop_process "$recorder_pid"
    recorder_pid=""
    stop_process "$pulse_pid"
    pulse_pid=""
}
trap 'stop_pulse; cleanup' EXIT

# start_pulse [--no-sink]: the daemon with a null sink (or none) and its socket; every client of the
# test (the program, parec, pactl) reaches it through the exported variables.
start_pulse() {
    local modules=(-L "module-null-sink sink_name=$sink rate=44100 channels=2")
    [ "${1:-}" = --no-sink ] && modules=()
    mkdir -p "$pulse_dir/home" "$pulse_dir/run/pulse"
    chmod 700 "$pulse_dir/run" "$pulse_dir/run/pulse"
    export HOME="$pulse_dir/home" XDG_RUNTIME_DIR="$pulse_dir/run" PULSE_RUNTIME_PATH="$pulse_dir/run/pulse"
    export PULSE_SERVER="unix:$pulse_dir/run/pulse/native"
    # No display and no session bus: the daemon would otherwise try to launch a bus through X11.
    env -u DISPLAY DBUS_SESSION_BUS_ADDRESS=disabled: pulseaudio -n --daemonize=no --exit-idle-time=-1 \
        "${modules[@]}" -L module-native-protocol-unix >"$work/pulse.log" 2>&1 &
    pulse_pid=$!
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        process_running "$pulse_pid" || fail "pulseaudio ended at start-up: $(tail -3 "$work/pulse.log")"
        sleep 0.1
    done
    pactl info >/dev/null 2>&1 || fail "pulseaudio does not answer: $(tail -3 "$work/pulse.log")"
    # OpenAL Soft plays into PulseAudio when it may choose its driver.
    unset ALSOFT_DRIVERS
}

# start_recording FILE: raw 16-bit stereo from the sink's monitor; recording_seconds FILE says how long.
start_recording() {
    parec -d "$sink.monitor" --format=s16le --rate=44100 --channels=2 --latency-msec=20 >"$1" 2>"$work/parec.log" &
    recorder_pid=$!
    for _ in $(seq 100); do
        pactl list short source-outputs 2>/dev/null | grep -q . && return 0
        sleep 0.1
    done
    fail "parec did not connect: $(cat "$work/parec.log")"
}
recording_seconds() { awk -v b="$(stat -c %s "$1")" 'BEGIN {printf "%.3f", b / 176400}'; }

# sink_inputs: how many streams play into the server now.
sink_inputs() { pactl list short sink-inputs 2>/dev/null | grep -c .; }

# rms_db FILE [START [LENGTH]]: the RMS level in dBFS of a raw recording (or of a sound file) over a span.
rms_db() {
    local file=$1 start=${2:-0} length=${3:-}
    local input=("$file")
    case "$file" in *.raw) input=(-t raw -r 44100 -e signed -b 16 -c 2 "$file") ;; esac
    sox "${input[@]}" -n trim "$start" ${length:+"$length"} stat 2>&1 |
        awk '/RMS +amplitude/ {print ($3 > 0 ? 20 * log($3) / log(10) : -999)}'
}

# first_above FILE THRESHOLD: the time in seconds of the first sample whose magnitude exceeds the
# threshold (full scale 1), or nothing.
first_above() {
    local file=$1 input=("$1")
    case "$file" in *.raw) input=(-t raw -r 44100 -e signed -b 16 -c 2 "$file") ;; esac
    sox "${input[@]}" -t dat - 2>/dev/null | awk -v t="$2" '
        /^;/ {next}
        { l = $2 < 0 ? -$2 : $2; r = $3 < 0 ? -$3 : $3; if (l > t || r > t) {printf "%.4f\n", $1; exit} }'
}

# The recording's start on the wall clock: a sample at byte b of it was played at start + b / 176400 s
# and reaches the file no earlier, so every (time, size) seen gives an upper bound; keep the least.
recording_start=""
note_recording_size() {
    local now size bound
    now=$(date +%s.%N)
    size=$(stat -c %s "$1")
    bound=$(awk -v n="$now" -v s="$size" 'BEGIN {printf "%.4f", n - s / 176400}')
    if [ -z "$recording_start" ] || awk -v a="$bound" -v b="$recording_start" 'BEGIN {exit !(a < b)}'; then
        recording_start=$bound
    fi
}
