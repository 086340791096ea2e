#!/usr/bin/env bash
# second_instance.sh EXE SHOTDIR
# A second start while the updater runs ends quickly with status 1 and no window of its own; the
# first keeps running with its one window and still ends normally.
set -u
exe=$1
source "$(dirname "$0")/lib.sh"
e2e_setup "$2"

e2e_start "$exe"
first=$apid
e2e_window 200
first_wid=$wid
sleep 0.5

started=$(date +%s%N)
e2e_start "$exe"
second=$apid
_e2e_second_done() {
  # Mapped or not: the second instance makes no window at all.
  [ -z "$(xdotool search --pid "$second" 2>/dev/null)" ] || fail "the second instance made a window"
  e2e_ended "$second"
}
e2e_wait 200 _e2e_second_done || fail "the second instance still runs after 20 s"
wait "$second"; status=$?
took=$(( ($(date +%s%N) - started) / 1000000 ))
[ "$status" = 1 ] || fail "the second instance ended with status $status, not 1"

e2e_running "$first" || fail "the first instance ended"
windows=$(xdotool search --onlyvisible --class '^varnet-updater$' 2>/dev/null | sort -u)
[ "$windows" = "$first_wid" ] || fail "visible windows: $(echo $windows), expected only $first_wid"

apid=$first
e2e_click_exit
e2e_expect_exit 100
echo "PASS: the second instance ended with status 1 after $took ms without a window; the first kept its window"
