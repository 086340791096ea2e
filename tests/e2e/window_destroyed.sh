#!/usr/bin/env bash
# window_destroyed.sh EXE SHOTDIR IMAGE
# Another X client destroys the window while the upload runs (xdotool windowclose): the program
# does not end through Xlib's error; the upload completes without the window and the program then
# ends with status 1.
set -u
exe=$1 image=$3
source "$(dirname "$0")/lib.sh"
e2e_setup "$2"

VARNET_SIM_LATENCY_MS=10 e2e_start "$exe"
e2e_window 200
sleep 0.5
e2e_click_next
e2e_wait_commands 10 300
xdotool windowclose "$wid" || fail "xdotool could not destroy the window"
sleep 1
e2e_running || { wait "$apid"; fail "destroying the window ended the program during the upload (status $?)"; }
[ -s "$work/flash.txt" ] && fail "the upload ended before the window was destroyed; make it slower"
[ -z "$(e2e_windows_of "$apid")" ] || fail "the window is still there"

e2e_expect_exit 900
e2e_expect_flash "$image"
echo "PASS: the upload completed after the window was destroyed, then the program ended"
