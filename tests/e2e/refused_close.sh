#!/usr/bin/env bash
# refused_close.sh EXE SHOTDIR IMAGE
# A close request from the window manager (WM_DELETE_WINDOW) while the upload runs is refused: the
# program keeps running and finishes the upload. On the success page the same close request ends it.
# (Signals during the upload: signal_during_upload.sh.)
set -u
exe=$1 image=$3
source "$(dirname "$0")/lib.sh"
e2e_setup "$2"
wm_close=${E2E_WM_CLOSE:?the wm_close helper is needed}

# A slow device: the upload takes several seconds.
VARNET_SIM_LATENCY_MS=10 e2e_start "$exe"
e2e_window 200
sleep 0.5
e2e_shot welcome-reference

e2e_click_next
_e2e_uploading() { [ "$(grep -c '^OUT' "$work/transcript.txt" 2>/dev/null)" -ge 10 ]; }
e2e_wait 300 _e2e_uploading || fail "the upload did not start within 30 s"
before=$(grep -c '^OUT' "$work/transcript.txt")
e2e_close
sleep 1
e2e_running || fail "the close request ended the program during the upload"
[ -s "$work/flash.txt" ] && fail "the upload ended before the close request was checked; make it slower"
after=$(grep -c '^OUT' "$work/transcript.txt")
[ "$after" -gt "$before" ] || fail "the upload stopped after the close request ($before commands)"
e2e_shot close-refused
# The refusal is answered on the window: a notice dims it (the corner is no longer the background).
corner=$(e2e_pixel "$shots/close-refused.png" 2 2)
case "$corner" in *48,48,48*|*303030*) fail "the refused close is not answered on the window (corner $corner)";; esac
e2e_expect_no_next "$shots/close-refused.png" "$shots/welcome-reference.png"
_e2e_exit_button_shown && fail "a page with Exit is shown while the upload runs"

e2e_wait_upload 900
e2e_wait_exit_button 100
e2e_shot success
e2e_expect_page_differs "$shots/success.png" "$shots/welcome-reference.png" "the welcome page"

e2e_close
e2e_expect_exit 100
e2e_expect_flash "$image"
echo "PASS: close refused during the upload ($before commands sent then), granted after it"
