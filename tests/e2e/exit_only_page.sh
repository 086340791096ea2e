#!/usr/bin/env bash
# exit_only_page.sh EXE SHOTDIR SHOT TENTHS [VARIABLE=VALUE...]
# Starts the updater with the simulator variables given and expects, within TENTHS tenths of a
# second, a page other than the welcome page that offers Exit but not Next (device not found,
# update not needed). Its screenshot is SHOTDIR/SHOT.png. Exit ends the program with status 1,
# and the device was neither switched nor sent any bootloader command nor written.
set -u
exe=$1 shotdir=$2 name=$3 tenths=$4
shift 4
source "$(dirname "$0")/lib.sh"
e2e_setup_with_reference "$exe" "$shotdir"

[ $# -eq 0 ] || export "$@"
e2e_start "$exe"
e2e_window "$tenths"
sleep 0.5
e2e_shot "$name"
e2e_expect_page_differs "$shots/$name.png" "$shots/welcome-reference.png" "the welcome page"
e2e_expect_no_next "$shots/$name.png" "$shots/welcome-reference.png"
_e2e_exit_button_shown || fail "the page does not offer Exit"

e2e_click_exit
e2e_expect_exit 100
[ -s "$work/flash.txt" ] && fail "the device's flash was written"
grep -q '^SWITCH' "$work/transcript.txt" 2>/dev/null && fail "the device was switched"
grep -q '^OUT' "$work/transcript.txt" 2>/dev/null && fail "bootloader commands were sent"
echo "PASS: page $name with Exit only ($*), Exit ends with status 1; screenshot in $shots"
