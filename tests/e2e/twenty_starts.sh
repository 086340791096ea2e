#!/usr/bin/env bash
# twenty_starts.sh EXE SHOTDIR
# Twenty starts at once: exactly one goes on to the device (each start names its own simulator
# transcript, which only a program that makes the device creates); the others end at once with
# status 1.
set -u
exe=$1
source "$(dirname "$0")/lib.sh"
e2e_setup "$2"

pids=()
for i in $(seq 1 20); do
  VARNET_SIM_TRANSCRIPT="$work/transcript-$i.txt" e2e_start "$exe" 2>>"$work/stderr-$i.txt"
  pids+=("$apid")
done
_e2e_running_count() { local p n=0; for p in "${pids[@]}"; do e2e_running "$p" && n=$((n + 1)); done; echo "$n"; }
_e2e_one_left() { [ "$(_e2e_running_count)" -le 1 ]; }
e2e_wait 200 _e2e_one_left || fail "$(_e2e_running_count) starts still run after 20 s"

survivor=
for i in $(seq 1 20); do
  p=${pids[$((i - 1))]}
  if e2e_running "$p"; then survivor=$i; continue; fi
  wait "$p"; status=$?
  [ "$status" = 1 ] || fail "start $i ended with status $status, not 1"
done
[ -n "$survivor" ] || fail "no start went on"
opened=$(ls "$work"/transcript-*.txt 2>/dev/null)
[ "$opened" = "$work/transcript-$survivor.txt" ] || fail "device opened by: $(echo $opened)"

apid=${pids[$((survivor - 1))]}
e2e_window 200
e2e_click_exit
e2e_expect_exit 100
echo "PASS: of twenty starts only start $survivor opened the device; the others ended with status 1"
