# Shared steps of the end-to-end tests: an Xvfb of our own, waiting for windows, clicking the settings
# dialog by its template coordinates (dialog units), and checking how the program ended.
set -uo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
export NO_AT_BRIDGE=1 ALSOFT_LOGLEVEL=0 LC_ALL=C.UTF-8
work=$(mktemp -d)
xvfb_pid=""
program_pid=""

cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    # Wait for the server to be gone: a dying Xvfb removes its socket last, and the next test's server
    # may already have taken the same display number, so an early return leaves that one unreachable.
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/program.log" ] && sed 's/^/  program: /' "$work/program.log" >&2
    [ -s "$work/xvfb.log" ] && sed 's/^/  xvfb on '"${DISPLAY:-none}"': /' "$work/xvfb.log" | tail -n 5 >&2
    exit 1
}

# start_xvfb WIDTHxHEIGHT: a private display; DISPLAY is exported.
start_xvfb() {
    local size=${1:-1024x768}
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$work/display")"
    # The number is written before every client is sure to get through: wait until one does.
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "Xvfb on $DISPLAY does not answer"
}

# start_program NAME: runs a program of the build folder from it (it holds data/).
start_program() {
    (cd "$build" && exec "./$1" >"$work/program.log" 2>&1) &
    program_pid=$!
}

# wait_for_window REGEX [SECONDS]: prints the id of the first visible window whose name matches.
wait_for_window() {
    local id
    for _ in $(seq $((${2:-20} * 10))); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
        if [ -n "$id" ]; then
            sleep 0.5   # mapped is not yet ready for input
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

window_exists() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

# click_dialog_units WINDOW X Y: clicks at a place given in the dialog template's units.
click_dialog_units() {
    local window=$1 x=$2 y=$3
    eval "$(xdotool getwindowgeometry --shell "$window")"
    local px=$((X + x * WIDTH / 277)) py=$((Y + y * HEIGHT / 173))
    xdotool mousemove --sync "$px" "$py" click 1
    sleep 0.2
}

# wait_for_exit [SECONDS]: waits for the program and sets exit_code.
wait_for_exit() {
    for _ in $(seq $((${1:-30} * 10))); do
        if ! kill -0 "$program_pid" 2>/dev/null; then
            wait "$program_pid"
            exit_code=$?
            program_pid=""
            return 0
        fi
        sleep 0.1
    done
    fail "the program did not end"
}

# press_key WINDOW KEY: focuses the window and types the key as a real one (toolkits ignore sent keys).
press_key() {
    xdotool windowfocus --sync "$1" 2>/dev/null
    xdotool key "$2" 2>/dev/null || true
}

client_size() { xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
