#!/usr/bin/env bash
# keys_after_success.sh EXE SHOTDIR IMAGE
# The keyboard around an update through the window: Enter on the welcome page takes Next; the
# switching page shows work going on and the window offers no close button while the update runs;
# after "successfully updated" Enter and Space start nothing (one switch report only); Escape exits.
set -u
exe=$1 image=$3
source "$(dirname "$0")/lib.sh"
e2e_setup "$2"

_e2e_close_hint() { xprop -id "$wid" _MOTIF_WM_HINTS 2>/dev/null | grep -q '= 0x1, 0x21'; }
_e2e_switches() { grep -c '^SWITCH' "$work/transcript.txt" 2>/dev/null; }

VARNET_SIM_LATENCY_MS=4 e2e_start "$exe"
e2e_window 200
sleep 0.5
e2e_shot welcome-reference
_e2e_close_hint && fail "the welcome page already withholds the close button"
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"

# The focus starts on Next: Enter starts the update.
xdotool key Return
e2e_wait 100 _e2e_close_hint || fail "the close button is still offered while the update runs"
# The device takes at least a second and a half to come back in its bootloader: the bar moves.
e2e_shot switching-1
sleep 0.3
e2e_shot switching-2
[ "$(_e2e_switches)" = 1 ] || fail "Enter did not start the update (switch reports: $(_e2e_switches))"
# Both shots fell before the first bootloader command, so both show the switching page.
if [ "$(grep -c '^OUT' "$work/transcript.txt")" = 0 ]; then
  d=$(e2e_region_diff "$shots/switching-1.png" "$shots/switching-2.png" 420x1+6+266)
  [ "${d%.*}" -gt 10 ] 2>/dev/null || fail "nothing moves on the switching page ($d pixels differ)"
  moved=$d
else
  moved="(not checked: the bootloader answered before the second shot)"
fi

e2e_wait_upload 600
e2e_wait_exit_button 100
e2e_shot success
e2e_expect_page_differs "$shots/success.png" "$shots/welcome-reference.png" "the welcome page"
_e2e_close_hint && fail "the close button is still withheld after the update"

for key in Return space KP_Enter; do
  xdotool key "$key"
  sleep 0.7
done
sleep 2
e2e_running || fail "the program ended after Enter/Space on the success page"
[ "$(_e2e_switches)" = 1 ] || fail "Enter or Space after success started another update ($(_e2e_switches) switch reports)"
e2e_shot success-after-keys
d=$(e2e_region_diff "$shots/success.png" "$shots/success-after-keys.png" "$E2E_MESSAGE_AREA")
[ "$d" = 0 ] || fail "the success page changed after Enter/Space ($d pixels differ)"

xdotool key Escape
e2e_expect_exit 100
e2e_expect_flash "$image"
echo "PASS: one update through the keyboard (switching bar moved: $moved pixels); Enter and Space after success did nothing; Escape exited"
