#!/usr/bin/env bash
# The test display keeps the program's connection when the program arrives just as the last client
# leaves. A server that resets once it has no client (Xvfb's default) drops a newcomer it sees at that
# moment: the program then finds no display at all. A slow server is made here by stopping it while the
# last client leaves and the program connects, so that it sees both at once when it goes on.
source "$(dirname "$0")/lib.sh"
start_xvfb 1024x768
passed=0
for try in 1 2; do
    xprop -root -spy >/dev/null 2>&1 &
    last_client=$!
    sleep 0.5   # connected: it asks for nothing more
    kill -STOP "$xvfb_pid"
    stop_process "$last_client"
    (cd "$build" && exec ./halvex32 --no-dialog --window 320x240 --no-sound >"$work/program.log" 2>&1) &
    program_pid=$!
    sleep 0.5   # the program is waiting for the server's answer
    kill -CONT "$xvfb_pid"
    window=$(wait_for_window '^ORX Halvex$' 30) || fail "try $try: no demo window after the last client left"
    press_key "$window" Escape
    wait_for_exit 30
    [ "$exit_code" -eq 0 ] || fail "try $try: exit code $exit_code after Escape, expected 0"
    passed=$((passed + 1))
done
echo "slow_server: $passed passed, 0 failed"
