#!/usr/bin/env bash
# signal_during_upload.sh EXE SHOTDIR IMAGE MODE SIGNAL
# SIGNAL (INT, TERM, HUP, QUIT, USR1 or PIPE) arrives while the upload runs, in a windowed run
# (MODE windowed, started with Next) or a silent one (MODE silent): the program says it will stop
# after the update, the upload goes on to the end, the flash holds the image, then the program ends
# by itself with status 1.
set -u
exe=$1 image=$3 mode=$4 sig=$5
source "$(dirname "$0")/lib.sh"
e2e_setup "$2"

# A slow device: the upload takes several seconds.
export VARNET_SIM_LATENCY_MS=10
if [ "$mode" = silent ]; then
  e2e_start_default "$exe" -SILENT
else
  e2e_start_default "$exe"
  e2e_window 200
  sleep 0.5
  e2e_click_next
fi
e2e_wait_commands 10 300
kill -"$sig" "$apid"
sleep 1
e2e_running || { wait "$apid"; fail "SIG$sig ended the program during the upload (status $?)"; }
[ -s "$work/flash.txt" ] && fail "the upload ended before the signal was checked; make it slower"
e2e_expect_stderr "$work/stderr.txt" "SIG$sig received during the update"
if [ "$mode" = windowed ]; then
  # The window answers the held signal like a refused close: a notice dims it.
  e2e_shot signal-held
  corner=$(e2e_pixel "$shots/signal-held.png" 2 2)
  case "$corner" in *48,48,48*|*303030*) fail "the held signal is not answered on the window (corner $corner)";; esac
fi

e2e_expect_exit 900
e2e_expect_flash "$image"
echo "PASS: SIG$sig during a $mode upload: the upload completed, then the program ended"
