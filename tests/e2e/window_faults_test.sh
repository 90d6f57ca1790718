#!/usr/bin/env bash
# Driver and window faults as a user meets them. A driver without ARB multitexture (Mesa told to hide
# it): a "Chyba" box, then the program ends in order with exit code 0; halvex-capture prints the same
# message and renders nothing. A window minimised and restored under a window manager: the demo keeps
# running through it, keeps its client size and draws again afterwards; Escape still ends it with 0.
source "$(dirname "$0")/lib.sh"
start_xvfb 1024x768
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done   # the server answers
passed=0
no_multitexture="Ovladač OpenGL nepodporuje multitexturing"

# The capture tool on the same driver: the message on standard error, and no frame.
MESA_EXTENSION_OVERRIDE=-GL_ARB_multitexture "$build/halvex-capture" --to 1000 --fps 10 --size 160x120 \
    --no-sound --out "$work/nomt-frames" 2>"$work/nomt.log"
code=$?
sed 's/^/    capture: /' "$work/nomt.log"
[ "$code" -ne 0 ] || fail "halvex-capture without multitexture exited 0"
grep -qF "Chyba: $no_multitexture" "$work/nomt.log" || fail "halvex-capture did not print the multitexture message"
grep -q 'quit while loading' "$work/nomt.log" || fail "halvex-capture did not stop after loading"
[ -z "$(ls "$work/nomt-frames" 2>/dev/null)" ] || fail "frames were written without multitexture"
passed=$((passed + 1))

# The program itself: windowed 800 x 600, the box appears, is answered, and the program ends with 0.
(cd "$build" && MESA_EXTENSION_OVERRIDE=-GL_ARB_multitexture exec ./halvex32 >"$work/program.log" 2>&1) &
program_pid=$!
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
click_dialog_units "$dialog" 170 40    # full screen: untick
click_dialog_units "$dialog" 24 40     # "800 x 600"
click_dialog_units "$dialog" 30 158    # OK
box=$(wait_for_window '^Chyba$' 30) || fail "no Chyba message box without multitexture"
press_key "$box" Return
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code without multitexture, expected 0"
passed=$((passed + 1))

# Minimise and restore: twm iconifies on request; SDL's event log shows that the program was told.
export SDL_EVENT_LOGGING=1
start_program halvex32
dialog=$(wait_for_window 'ORX Halvex v1') || fail "no settings dialog"
click_dialog_units "$dialog" 170 40
click_dialog_units "$dialog" 24 40
click_dialog_units "$dialog" 30 158
window=$(wait_for_window '^ORX Halvex$' 30) || fail "no demo window"
# Xvfb has only its built-in "fixed" font; twm takes the windows already on the screen when it starts.
printf 'RandomPlacement\nUsePPosition "on"\n' >"$work/twmrc"
for f in TitleFont ResizeFont MenuFont IconFont IconManagerFont; do echo "$f \"fixed\"" >>"$work/twmrc"; done
LC_ALL=C twm -f "$work/twmrc" >"$work/twm.log" 2>&1 &
wm_pid=$!
trap 'stop_process "$wm_pid"; cleanup' EXIT
sleep 2
wm_state() { xprop -id "$window" WM_STATE 2>/dev/null | awk '/window state:/ {print $3}'; }
mean_brightness() { import -window "$window" -colorspace gray -format '%[fx:int(mean*1000)]' info: 2>/dev/null; }
[ "$(wm_state)" = Normal ] || fail "twm did not take the demo window (state '$(wm_state)'): $(tail -3 "$work/twm.log")"
before=$(mean_brightness)

timeout 10 xdotool windowminimize --sync "$window" || fail "xdotool could not minimise the window"
for _ in $(seq 50); do [ "$(wm_state)" = Iconic ] && break; sleep 0.1; done
[ "$(wm_state)" = Iconic ] || fail "the window did not become iconic"
sleep 3   # frames go on while minimised
grep -q 'SDL_WINDOWEVENT_MINIMIZED' "$work/program.log" || fail "the program was not told it was minimised"
process_running "$program_pid" || fail "the demo died while minimised"

timeout 10 xdotool windowmap --sync "$window" || fail "xdotool could not restore the window"
for _ in $(seq 50); do [ "$(wm_state)" = Normal ] && break; sleep 0.1; done
[ "$(wm_state)" = Normal ] || fail "the window did not come back"
sleep 2
process_running "$program_pid" || fail "the demo died after the restore"
size=$(client_size "$window")
[ "$size" = "800x600" ] || fail "client size after the restore is $size, expected 800x600"
after=$(mean_brightness)
echo "    mean brightness (per mille) before minimising: $before, after restoring: $after"
[ "${after:-0}" -gt 0 ] || fail "the restored window is black: nothing is drawn"
passed=$((passed + 1))

press_key "$window" Escape
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after Escape, expected 0"
passed=$((passed + 1))
echo "window_faults: $passed passed, 0 failed"
