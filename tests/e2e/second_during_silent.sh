#!/usr/bin/env bash
# second_during_silent.sh EXE SHOTDIR IMAGE
# A windowed start while a silent update runs (no window to take it) ends at once with status 1 and
# a line on standard error, without opening the device; the silent update completes.
set -u
exe=$1 image=$3
source "$(dirname "$0")/lib.sh"
e2e_setup "$2"

VARNET_SIM_LATENCY_MS=10 e2e_start "$exe" -SILENT
first=$apid
e2e_wait_commands 10 300

VARNET_SIM_TRANSCRIPT="$work/second-transcript.txt" VARNET_SIM_FLASH_OUT="$work/second-flash.txt" \
  e2e_start "$exe" 2>"$work/second-stderr.txt"
second=$apid
e2e_wait 50 e2e_ended "$second" || fail "the second start still runs after 5 s"
wait "$second"; status=$?
[ "$status" = 1 ] || fail "the second start ended with status $status, not 1"
[ -e "$work/second-transcript.txt" ] && fail "the second start opened the device"
e2e_expect_stderr "$work/second-stderr.txt" "another varnet-updater is running"
e2e_running "$first" || fail "the silent update ended early"

apid=$first
e2e_expect_exit 900
e2e_expect_flash "$image"
echo "PASS: the second start ended at once without the device; the silent update completed"
