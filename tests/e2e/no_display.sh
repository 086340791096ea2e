#!/usr/bin/env bash
# no_display.sh EXE SHOTDIR IMAGE
# A windowed start whose display cannot be opened says so on standard error and ends with status 1
# within a second, leaving the lock free: the next start shows its window. A silent update needs no
# display at all.
set -u
exe=$1 image=$3
source "$(dirname "$0")/lib.sh"
e2e_setup "$2"
nowhere=:$(( 900 + RANDOM % 99 ))  # no server listens there

started=$(date +%s%N)
DISPLAY=$nowhere e2e_start "$exe" 2>"$work/stderr.txt"
e2e_wait 100 e2e_ended || fail "the start without a display still runs after 10 s"
took=$(( ($(date +%s%N) - started) / 1000000 ))
wait "$apid"; status=$?
[ "$status" = 1 ] || fail "exit status $status, not 1"
[ "$took" -le $(( 1000 * ${E2E_TIME_SCALE:-1} )) ] || fail "the start without a display took $took ms to end"
e2e_expect_stderr "$work/stderr.txt" "cannot open the display"
# The display is looked at before the device search: the device was not touched.
[ -s "$work/transcript.txt" ] && fail "the start without a display talked to the device"

e2e_start "$exe"
e2e_window 200
e2e_exit_by_button 100

rm -f "$work/transcript.txt" "$work/flash.txt"
DISPLAY=$nowhere e2e_start "$exe" -SILENT
e2e_expect_exit 600
e2e_expect_flash "$image"
echo "PASS: no display: told after $took ms, the lock was released, a silent update ran without it"
