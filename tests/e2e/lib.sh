# Shared steps of the end-to-end tests: an Xvfb of our own, waiting for windows, clicking the settings
# dialog by its template coordinates (dialog units), and checking how the program ended.
set -uo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
export NO_AT_BRIDGE=1 ALSOFT_LOGLEVEL=0 LC_ALL=C.UTF-8
work=$(mktemp -d)
xvfb_pid=""
program_pid=""

# process_running PID: the process is there and has not ended (a zombie has).
process_running() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) && [ "${state:0:1}" != Z ]
}

# stop_process PID: SIGTERM, two seconds to end, then SIGKILL (a program in a message box or still
# loading does not answer SIGTERM); waits for it when it is this shell's child.
stop_process() {
    local pid=$1
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null
    for _ in $(seq 20); do
        process_running "$pid" || break
        sleep 0.1
    done
    process_running "$pid" && kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

cleanup() {
    stop_process "$program_pid"
    program_pid=""
    # Wait for the server to be gone: a dying Xvfb removes its socket last, and the next test's server
    # may already have taken the same display number, so an early return leaves that one unreachable.
    stop_process "$xvfb_pid"
    xvfb_pid=""
    rm -rf "$work"
}
trap cleanup EXIT

# display_answers: the X server of DISPLAY takes a connection and answers a request.
display_answers() { timeout 10 xdpyinfo >/dev/null 2>&1; }

# describe_program: what became of the program: still running (with every thread's stack) or ended
# (with its exit code), then its output.
describe_program() {
    [ -n "$program_pid" ] || return 0
    if process_running "$program_pid"; then
        echo "  the program (pid $program_pid) is still running; its stack:"
        local stack
        stack=$(timeout -k 5 60 gdb -batch -nx -p "$program_pid" -ex 'thread apply all bt' 2>&1)
        # Without the stack (no gdb, or attaching not allowed), gdb's own last words say why.
        grep -E '^(Thread |#[0-9])' <<<"$stack" | sed 's/^/    /' || tail -n 3 <<<"$stack" | sed 's/^/    gdb: /'
    elif [ "$BASHPID" = "$$" ]; then
        wait "$program_pid" 2>/dev/null
        local code=$?
        program_pid=""
        if [ "$code" -gt 128 ]; then
            echo "  the program ended by signal $((code - 128))"
        else
            echo "  the program ended with exit code $code"
        fi
    else
        echo "  the program (pid $program_pid) has ended"
    fi
    [ -f "$work/program.log" ] && sed 's/^/  program: /' "$work/program.log"
    return 0
}

# describe_display: whether the X server answers, and the named windows on it.
describe_display() {
    [ -n "${DISPLAY:-}" ] || return 0
    if ! display_answers; then
        echo "  the X server on $DISPLAY does not answer"
    else
        echo "  windows on $DISPLAY:"
        timeout 10 xwininfo -root -tree 2>&1 | grep -E '"|xwininfo' | sed 's/^ */    /'
    fi
    [ -s "$work/xvfb.log" ] && sed 's/^/  xvfb on '"$DISPLAY"': /' "$work/xvfb.log" | tail -n 5
    return 0
}

# fail MESSAGE: says what failed and everything needed to tell why, then ends the test.
fail() {
    {
        echo "FAIL: $*"
        describe_program
        describe_display
    } >&2
    exit 1
}

# start_xvfb WIDTHxHEIGHT: a private display; DISPLAY is exported.
start_xvfb() {
    local size=${1:-1024x768}
    # -noreset: by default the server resets when its last client leaves, and a client connecting at
    # that moment (the next step of a test, right after a short-lived xdotool) is dropped half-way in.
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
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

# wait_for_window REGEX [SECONDS]: prints the id of the first visible window whose name matches. Gives
# up at once, saying so on standard error, when the program ends first.
wait_for_window() {
    local id deadline=$((SECONDS + ${2:-20}))   # on the clock: each search takes its own time
    while [ "$SECONDS" -lt "$deadline" ]; do
        id=$(timeout 10 xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
        if [ -n "$id" ]; then
            sleep 0.5   # mapped is not yet ready for input
            echo "$id"
            return 0
        fi
        if [ -n "$program_pid" ] && ! process_running "$program_pid"; then
            echo "  the program ended before a window named '$1' appeared" >&2
            return 1
        fi
        sleep 0.1
    done
    echo "  no window named '$1' within ${2:-20} s" >&2
    return 1
}

# window_exists REGEX: a visible window's name matches. A search that finds nothing only counts as "no
# such window" when the server answers; a server that does not ends the test.
window_exists() {
    [ -n "$(timeout 10 xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)" ] && return 0
    display_answers || fail "the X server did not answer while looking for a window named '$1'"
    return 1
}

# click_dialog_units WINDOW X Y: clicks at a place given in the dialog template's units.
click_dialog_units() {
    local window=$1 x=$2 y=$3
    eval "$(timeout 10 xdotool getwindowgeometry --shell "$window")"
    local px=$((X + x * WIDTH / 277)) py=$((Y + y * HEIGHT / 173))
    # --sync waits for the pointer to move, which it never does when it is already there (the server is
    # not reset between programs, so the pointer stays where the last click left it).
    local pointer
    pointer=$(timeout 10 xdotool getmouselocation --shell | awk -F= '/^[XY]=/ {printf "%s,", $2}')
    if [ "$pointer" != "$px,$py," ]; then
        timeout 10 xdotool mousemove --sync "$px" "$py" || fail "could not move the pointer to $px,$py"
    fi
    timeout 10 xdotool click 1 || fail "could not click at $px,$py"
    sleep 0.2
}

# wait_for_exit [SECONDS]: waits for the program and sets exit_code.
wait_for_exit() {
    local deadline=$((SECONDS + ${1:-30}))
    while [ "$SECONDS" -lt "$deadline" ]; do
        if ! process_running "$program_pid"; then
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
    timeout 10 xdotool windowfocus --sync "$1" 2>/dev/null
    timeout 10 xdotool key "$2" 2>/dev/null || true
}

client_size() { timeout 10 xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
