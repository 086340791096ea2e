#!/usr/bin/env bash
# update_through_window.sh EXE SHOTDIR IMAGE
# Runs the updater against the simulated Varnet on a private X display, checks the welcome page,
# clicks Next, watches the progress bar fill, waits for the upload to finish, clicks Exit and checks
# what the device holds.
set -u
exe=$1 image=$3
source "$(dirname "$0")/lib.sh"
e2e_setup "$2"

# A device slow enough (six seconds or so for the image) that the progress page can be watched,
# and a loaded machine still takes its second picture before the upload ends.
VARNET_SIM_LATENCY_MS=8 e2e_start "$exe"
e2e_window 200
sleep 0.5
e2e_shot welcome
cp "$shots/welcome.png" "$shots/welcome-reference.png"
# The window shows the device on the dark background: the corner is the background colour.
corner=$(e2e_pixel "$shots/welcome.png" 2 2)
case "$corner" in *48,48,48*|*303030*) ;; *) fail "unexpected background colour $corner";; esac

e2e_click_next
e2e_wait_commands 100 300
e2e_shot progress-early
e2e_wait_commands 220 300
e2e_shot progress-late
early=$(e2e_progress_fill "$shots/progress-early.png")
late=$(e2e_progress_fill "$shots/progress-late.png")
[ "$early" -gt 0 ] || fail "no progress bar fill on the upload page"
[ "$late" -gt "$early" ] || fail "the progress bar did not fill further ($early then $late pixels)"
e2e_expect_no_next "$shots/progress-late.png" "$shots/welcome.png"
e2e_wait_upload 600
e2e_wait_exit_button 100
e2e_shot success
e2e_expect_page_differs "$shots/success.png" "$shots/welcome.png" "the welcome page"
e2e_expect_no_next "$shots/success.png" "$shots/welcome.png"

e2e_click_exit
e2e_expect_exit 100
e2e_expect_flash "$image"
echo "PASS: $(wc -l < "$work/flash.txt") rows uploaded through the window (bar $early then $late pixels); screenshots in $shots"
