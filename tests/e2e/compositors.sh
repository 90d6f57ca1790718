# Shared steps of the tests under real Wayland compositors, sourced after lib.sh: weston (headless
# backend, with XWayland) and sway (headless backend, native clients, run as an unprivileged user since
# it refuses root), each started with a runtime folder of its own and always stopped on exit; a
# screenshot of the output; key presses. Every call that talks to a compositor has a timeout.

compositor_pid=""
compositor_user=""
runtime_dir=""

stop_compositor() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    if [ -n "$compositor_pid" ]; then
        # timeout passes the signal on to the compositor, which ends its own children (Xwayland,
        # weston's shell client); whatever is left after five seconds is killed by its parent's id.
        local children
        children=$(pgrep -P "$compositor_pid")
        kill "$compositor_pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$compositor_pid" 2>/dev/null || break; sleep 0.1; done
        for pid in $compositor_pid $children $(for c in $children; do pgrep -P "$c"; done); do
            kill -9 "$pid" 2>/dev/null
        done
        wait "$compositor_pid" 2>/dev/null
        compositor_pid=""
    fi
    [ -n "$runtime_dir" ] && rm -rf "$runtime_dir"
    runtime_dir=""
}
# lib.sh's own clean-up (Xvfb, the work folder) still runs after ours.
lib_exit_trap=$(trap -p EXIT | sed "s/^trap -- '\(.*\)' EXIT\$/\1/")
trap 'stop_compositor; eval "$lib_exit_trap"' EXIT

# A folder the compositor's user owns, outside the work folder (which only root may enter).
make_runtime_dir() {
    runtime_dir=$(mktemp -d /tmp/halvex-wayland.XXXXXX)
    chmod 700 "$runtime_dir"
    [ -n "$compositor_user" ] && chown "$compositor_user" "$runtime_dir"
    export XDG_RUNTIME_DIR=$runtime_dir
}

# wait_for_socket NAME_PATTERN: prints the name of the compositor's socket once it is listening.
wait_for_socket() {
    local socket
    for _ in $(seq 150); do
        socket=$(cd "$runtime_dir" && ls -1 2>/dev/null | grep -E "^$1\$" | head -n1)
        [ -n "$socket" ] && [ -S "$runtime_dir/$socket" ] && { echo "$socket"; return 0; }
        kill -0 "$compositor_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# start_weston WIDTHxHEIGHT: weston's headless backend with XWayland; exports WAYLAND_DISPLAY and
# DISPLAY (its X server, started by weston when the first X client connects). The headless backend
# renders nothing unless told to (its screenshooter then waits for ever): pixman renders the output,
# and --debug lets the screenshooter in.
start_weston() {
    local width=${1%x*} height=${1#*x}
    compositor_user=""
    make_runtime_dir
    timeout --kill-after=2 300 weston --backend=headless-backend.so --use-pixman --width="$width" \
        --height="$height" --socket=halvex-weston --xwayland --debug --idle-time=0 >"$work/compositor.log" 2>&1 &
    compositor_pid=$!
    wait_for_socket halvex-weston >/dev/null || compositor_fail "weston did not start"
    export WAYLAND_DISPLAY=halvex-weston
    local display=""
    for _ in $(seq 100); do
        display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/compositor.log" | head -n1)
        [ -n "$display" ] && break
        sleep 0.1
    done
    [ -n "$display" ] || compositor_fail "weston started no X server"
    export DISPLAY=$display
    for _ in $(seq 100); do
        timeout 5 xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    compositor_fail "XWayland on $DISPLAY does not answer"
}

# weston_screenshot FILE: the whole output, as weston composed it.
weston_screenshot() {
    local shots="$runtime_dir/shots"
    rm -rf "$shots" && mkdir "$shots"
    (cd "$shots" && timeout 10 weston-screenshooter >/dev/null 2>&1) || return 1
    mv "$(ls -1 "$shots"/*.png | head -n1)" "$1"
}

# The unprivileged user sway and its clients run as: found, or made once as a system user.
find_compositor_user() {
    if [ "$(id -u)" -ne 0 ]; then
        id -un
        return 0
    fi
    id halvextest >/dev/null 2>&1 ||
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin halvextest ||
        return 1
    echo halvextest
}

# as_compositor_user COMMAND...: runs it as that user with the compositor's environment only. The
# array as_user is the same prefix for a command started with exec or in the background, so that its
# process id is the program's own.
set_compositor_user_prefix() {
    local environment=(PATH=/usr/local/bin:/usr/bin:/bin HOME="$runtime_dir" XDG_RUNTIME_DIR="$runtime_dir"
        LC_ALL=C.UTF-8 NO_AT_BRIDGE=1 ALSOFT_LOGLEVEL=0 ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY=$WAYLAND_DISPLAY}
        ${SWAYSOCK:+SWAYSOCK=$SWAYSOCK} ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS}
        ${UBSAN_OPTIONS:+UBSAN_OPTIONS=$UBSAN_OPTIONS})
    as_user=()
    [ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid="$compositor_user" --regid="$compositor_user" --clear-groups)
    as_user+=(env -i "${environment[@]}")
}
as_compositor_user() { "${as_user[@]}" "$@"; }

# start_sway WIDTHxHEIGHT: sway's headless backend with one output of that size, no input devices;
# exports WAYLAND_DISPLAY. Its software renderer needs no GPU device. The demo's window floats, so a
# windowed run keeps the size it asks for instead of being tiled over the output.
start_sway() {
    compositor_user=$(find_compositor_user) || compositor_fail "no unprivileged user for sway"
    make_runtime_dir
    printf 'output HEADLESS-1 resolution %s position 0 0\ndefault_border none\n%s\n' "$1" \
        'for_window [app_id="halvex"] floating enable' >"$runtime_dir/config"
    unset WAYLAND_DISPLAY DISPLAY SWAYSOCK
    set_compositor_user_prefix
    "${as_user[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        timeout --kill-after=2 300 sway --config "$runtime_dir/config" >"$work/compositor.log" 2>&1 &
    compositor_pid=$!
    local socket ipc
    socket=$(wait_for_socket 'wayland-[0-9]+') || compositor_fail "sway did not start"
    ipc=$(wait_for_socket 'sway-ipc\..*\.sock') || compositor_fail "sway opened no IPC socket"
    export WAYLAND_DISPLAY=$socket SWAYSOCK=$runtime_dir/$ipc
    set_compositor_user_prefix
}

# prepare_program_dir: where the compositor's user runs halvex32 from: the build folder when that user
# can read it, else a copy of the program and its data in the runtime folder (a build under /root, as
# in a fresh clone there, is closed to other users).
prepare_program_dir() {
    program_dir=$build
    as_compositor_user test -x "$build/halvex32" -a -r "$build/data/3ds/vesmir.3ds" && return 0
    program_dir=$runtime_dir/program
    mkdir -p "$program_dir" && cp -r "$build/halvex32" "$build/data" "$program_dir"/ || return 1
    [ -d "$build/icons" ] && cp -r "$build/icons" "$program_dir"/
    chown -R "$compositor_user" "$program_dir"
}

# start_program_under_sway ARGS...: halvex32 as a native Wayland client.
start_program_under_sway() {
    (cd "$program_dir" && exec "${as_user[@]}" SDL_VIDEODRIVER=wayland ./halvex32 "$@" >"$work/program.log" 2>&1) &
    program_pid=$!
}

# sway_screenshot FILE: the whole output, as the compositor composed it.
sway_screenshot() {
    as_compositor_user timeout 10 grim "$runtime_dir/shot.png" && cp "$runtime_dir/shot.png" "$1"
}

# sway_key KEY: a key press and release through a virtual keyboard, delivered to the focused window.
# The keyboard is new to the seat each time: clients bind it when told, so the key waits a second.
sway_key() { as_compositor_user timeout 10 wtype -s 1000 -k "$1"; }

# sway_windows: "name width height shell" of every window sway shows (xdg_shell for a native client).
sway_windows() {
    as_compositor_user timeout 10 swaymsg -t get_tree -r |
            jq -r '.. | objects | select(.pid? and .visible?) | "\(.name) \(.rect.width) \(.rect.height) \(.shell)"'
}

compositor_fail() {
    [ -s "$work/compositor.log" ] && tail -n 8 "$work/compositor.log" | sed 's/^/  compositor: /' >&2
    fail "$@"
}

# region_max FILE GEOMETRY: the brightest grey value in that region of the picture, 0 to 1.
region_max() { convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:maxima]' info:; }

# picture_box FILE: the bounding box of all that is not black, as WxH+X+Y.
picture_box() { convert "$1" -fuzz 4% -format '%@' info:; }

# expect_shape_kept FILE: a screenshot of a whole output showing the demo full screen holds the picture in
# the largest centred 4:3 rectangle, black around it (no bar when the output is 4:3 itself). The sky of
# stars reaches every edge of the picture, so what is not black spans at least nine tenths of it.
expect_shape_kept() {
    local file=$1 ow oh w h x y box bw bh bx by
    read -r ow oh < <(convert "$file" -format '%w %h\n' info:)
    if (( ow * 3 > oh * 4 )); then h=$oh w=$((oh * 4 / 3)); else w=$ow h=$((ow * 3 / 4)); fi
    x=$(((ow - w) / 2)) y=$(((oh - h) / 2))
    local bar
    for bar in "${x}x${oh}+0+0" "${x}x${oh}+$((x + w))+0" "${ow}x${y}+0+0" "${ow}x${y}+0+$((y + h))"; do
        [[ $bar == 0x* || $bar == *x0+* ]] && continue
        [ "$(region_max "$file" "$bar")" = 0 ] || fail "$file: the bar $bar beside the picture is not black"
    done
    box=$(picture_box "$file")
    IFS='x+' read -r bw bh bx by <<<"$box"
    (( bx >= x && by >= y && bx + bw <= x + w && by + bh <= y + h )) ||
        fail "$file: the picture ($box) leaves the ${w}x${h}+${x}+${y} rectangle of its shape"
    (( bw * 10 >= w * 9 && bh * 10 >= h * 9 )) ||
        fail "$file: the picture ($box) does not fill the ${w}x${h}+${x}+${y} rectangle of its shape"
    echo "$file: ${ow}x${oh} output, picture $box, black bars outside ${w}x${h}+${x}+${y}"
}

# shows_demo FILE GEOMETRY: that region of a screenshot shows the demo's space scene: a sky of stars
# and nebulae with the logo, bright points on a dark but not black ground (measured: brightest 0.8 to 1,
# mean 0.15, spread 0.17). Not an empty window, a desktop's grey background (mean 0.2 to 0.5, spread
# below 0.03), nor the title on black that comes before the sky (mean below 0.01).
shows_demo() {
    local max mean spread
    read -r max mean spread < <(convert "$1" -crop "$2" +repage -colorspace Gray \
        -format '%[fx:maxima] %[fx:mean] %[fx:standard_deviation]\n' info:)
    awk -v max="$max" -v mean="$mean" -v spread="$spread" \
        'BEGIN { exit !(max > 0.5 && mean > 0.03 && mean < 0.35 && spread > 0.08) }'
}

# wait_for_demo SCREENSHOT_COMMAND FILE GEOMETRY: takes screenshots until that region shows the space
# scene (the loading and the title take a while on a software renderer).
wait_for_demo() {
    local take=$1 file=$2 region=$3
    for _ in $(seq 40); do
        $take "$file" || compositor_fail "no screenshot"
        shows_demo "$file" "$region" && return 0
        kill -0 "$program_pid" 2>/dev/null || fail "the program ended while its picture was awaited"
        sleep 0.5
    done
    fail "$file: the region $region does not show the demo: $(convert "$file" -crop "$region" +repage \
        -colorspace Gray -format 'brightest %[fx:maxima], mean %[fx:mean]' info:)"
}

# virtual_full_screen: true when the program has the desktop-resolution full screen (the options of
# the real mode change came with it).
virtual_full_screen() { "$build/halvex32" --help 2>/dev/null | grep -q -- '--exclusive'; }
