#!/usr/bin/env bash
# failed_update.sh EXE SHOTDIR
# The device vanishes in the middle of the upload: the failure page with Exit appears, and with no
# upload running a terminate signal ends the program with status 1.
set -u
exe=$1
source "$(dirname "$0")/lib.sh"
e2e_setup_with_reference "$exe" "$2"

VARNET_SIM_FAULTS=unplug-after:20 e2e_start "$exe"
e2e_window 200
sleep 0.5
e2e_click_next
e2e_wait_exit_button 600
e2e_shot failed
e2e_expect_page_differs "$shots/failed.png" "$shots/welcome-reference.png" "the welcome page"
e2e_expect_no_next "$shots/failed.png" "$shots/welcome-reference.png"
grep -q '^SWITCH 00 12 34 00' "$work/transcript.txt" || fail "the update never switched the device"
[ "$(grep -c '^OUT' "$work/transcript.txt")" -ge 20 ] || fail "the upload ended before the unplug"
# The device was never completely programmed (its flash is written when the upload completes), so
# the page with Exit is not the success page.
[ -s "$work/flash.txt" ] && fail "the flash was written although the device was unplugged"

# With no upload running, a terminate signal is granted like Exit. (SIGTERM rather than SIGINT: a
# program started in the background by a script ignores SIGINT from birth.) A Windows program under
# Wine has no signals: it is ended with its Exit button (E2E_END=exit).
if [ "${E2E_END:-signal}" = exit ]; then
  e2e_click_exit
else
  kill -TERM "$apid"
fi
e2e_expect_exit 100
echo "PASS: failure page shown after the unplug, ended (${E2E_END:-signal}) with status 1; screenshot in $shots"
