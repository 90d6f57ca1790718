#!/usr/bin/env bash
# Where the programs find data/: the working directory wins, from a foreign folder the program's own tree
# is found, HALVEX_DATA_DIR comes first of all, and with nothing anywhere the specified messages appear
# plus one line naming the places. Symlink farms of the generated data set, each missing one model,
# show which folder a run used: its "Unable to find" message names that model and no other.
source "$(dirname "$0")/lib.sh"
[ -d "$build/data" ] || fail "no generated data set in $build/data"
passed=0

# farm NAME MODEL: NAME/data as links to the generated files, without data/3ds/MODEL.3ds; prints NAME's path.
farm() {
    mkdir -p "$work/$1"
    cp -rs "$build/data" "$work/$1/data"
    rm -f "$work/$1/data/3ds/$2.3ds"
    echo "$work/$1"
}
not_found() { echo "Kritická chxba TorEnginu: Unable to find the file: data/3ds/$1.3ds!"; }

# capture_from FOLDER PROGRAM [VARIABLE]: one small frame from FOLDER; messages in $work/run.log.
capture_from() {
    local folder=$1 program=$2 variable=${3:-}
    mkdir -p "$work/frames"
    (cd "$folder" && if [ -n "$variable" ]; then export HALVEX_DATA_DIR=$variable; else unset HALVEX_DATA_DIR; fi &&
        exec "$program" --at 1000 --fps 10 --size 160x120 --no-sound --out "$work/frames") >"$work/run.log" 2>&1 ||
        fail "$program from $folder failed: $(tail -3 "$work/run.log")"
}
# used_folder_missing MODEL: the run reported MODEL missing, and no other model.
used_folder_missing() {
    grep -qF "$(not_found "$1")" "$work/run.log" || fail "$1 was not reported missing: the wrong folder was used"
    [ "$(grep -c 'Unable to find' "$work/run.log")" -eq 1 ] || fail "other files were missing too: $(grep Unable "$work/run.log")"
}

cwd=$(farm cwd lod)
env_root=$(farm env orx)
mkdir -p "$work/empty"

# 1. The working directory holding data/ wins over the program's folder.
capture_from "$cwd" "$build/halvex-capture"
used_folder_missing lod
passed=$((passed + 1))

# 2. From a foreign folder the program's own tree (the build folder) is found: nothing is missing.
capture_from "$work/empty" "$build/halvex-capture"
grep -qF -e "Unable to find" -e "no data/ folder" "$work/run.log" && fail "from a foreign folder: $(head -3 "$work/run.log")"
passed=$((passed + 1))

# 3. HALVEX_DATA_DIR comes before the working directory, named as the folder holding data/ or as data/ itself.
for variable in "$env_root" "$env_root/data"; do
    capture_from "$cwd" "$build/halvex-capture" "$variable"
    used_folder_missing orx
done
passed=$((passed + 1))

# 4. Nothing anywhere: a program alone in a folder without data/ and no share/halvex beside it. The
#    specified messages (each model missing) and one line naming the places, in order.
mkdir -p "$work/lonely/bin"
cp "$build/halvex-capture" "$build/halvex32" "$work/lonely/bin/"
capture_from "$work/empty" "$work/lonely/bin/halvex-capture"
for m in vesmir lod modul teren orx teren2; do grep -qF "$(not_found $m)" "$work/run.log" || fail "no message for $m.3ds"; done
places="$work/empty, $work/lonely/bin, $work/lonely/share/halvex"
grep -qxF "halvex-capture: no data/ folder found in $places; the demo runs without its files" "$work/run.log" ||
    fail "no line naming the places; got: $(grep 'no data' "$work/run.log")"
passed=$((passed + 1))

# 5. The same for halvex32 itself under Xvfb: the line on standard error, the message boxes (answered one
#    by one), then the black demo window, and Escape.
start_xvfb 800x600
(cd "$work/empty" && exec env -u HALVEX_DATA_DIR "$work/lonely/bin/halvex32" --no-dialog --window 320x240 --no-sound \
    >"$work/program.log" 2>&1) &
program_pid=$!
# One box per model file (five models and the second terrain), each a new window; the demo window may
# come before them, as loading follows it.
models_missing=6
seen=" "
window=""
boxes_seen() { wc -w <<<"$seen"; }
answer_box() {
    local box
    box=$(timeout 10 xdotool search --onlyvisible --name 'chxba TorEnginu' 2>/dev/null | head -n1)
    [ -n "$box" ] || return 1
    [[ "$seen" == *" $box "* ]] || seen="$seen$box "
    sleep 0.3
    press_key "$box" Return
}
# On the clock: under load each xdotool call takes its own time, and a box that is slow to close is
# found and answered again, so a count of rounds would not bound the wait.
deadline=$((SECONDS + 90))
while [ "$SECONDS" -lt "$deadline" ]; do
    answer_box && continue
    process_running "$program_pid" || fail "halvex32 ended after $(boxes_seen) message boxes"
    window=$(timeout 10 xdotool search --onlyvisible --name '^ORX Halvex$' 2>/dev/null | head -n1)
    [ -n "$window" ] && [ "$(boxes_seen)" -ge "$models_missing" ] && break
    sleep 0.1
done
[ "$(boxes_seen)" -ge "$models_missing" ] || fail "$(boxes_seen) \"Unable to find\" message boxes within 90 s, expected $models_missing"
[ -n "$window" ] || fail "no demo window after $(boxes_seen) message boxes"
# A box too many would come right after the last one: give it two seconds.
deadline=$((SECONDS + 2))
while [ "$SECONDS" -le "$deadline" ]; do
    answer_box
    sleep 0.1
done
[ "$(boxes_seen)" -eq "$models_missing" ] || fail "$(boxes_seen) \"Unable to find\" message boxes, expected $models_missing"
grep -qxF "halvex32: no data/ folder found in $places; the demo runs without its files" "$work/program.log" ||
    fail "halvex32 did not name the places it looked in"
press_key "$window" Escape
wait_for_exit 30
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code after Escape, expected 0"
passed=$((passed + 1))
echo "data_search: $passed passed, 0 failed"
