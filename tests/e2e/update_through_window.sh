#!/usr/bin/env bash
# update_through_window.sh EXE SHOTDIR IMAGE
# Runs the updater against the simulated Varnet on a private X display, checks the welcome page,
# clicks Next, waits for the upload to finish, clicks Exit and checks what the device holds.
set -u
exe=$1 image=$3
source "$(dirname "$0")/lib.sh"
e2e_setup "$2"

e2e_start "$exe"
e2e_window 100
sleep 0.5
e2e_shot welcome
cp "$shots/welcome.png" "$shots/welcome-reference.png"
# The window shows the device on the dark background: the corner is the background colour.
corner=$(e2e_pixel "$shots/welcome.png" 2 2)
case "$corner" in *48,48,48*|*303030*) ;; *) fail "unexpected background colour $corner";; esac

e2e_click_next
e2e_wait_upload 600
e2e_wait_exit_button 100
e2e_shot success
e2e_expect_page_differs "$shots/success.png" "$shots/welcome.png" "the welcome page"
e2e_expect_no_next "$shots/success.png" "$shots/welcome.png"

e2e_click_exit
e2e_expect_exit 100
e2e_expect_flash "$image"
echo "PASS: $(wc -l < "$work/flash.txt") rows uploaded through the window; screenshots in $shots"
