#!/usr/bin/env bash
# update_through_window.sh EXE IMAGE SHOTDIR
# Runs the updater against the simulated Varnet on a private X display, checks the welcome page,
# clicks Next, waits for the upload to finish, clicks Exit and checks what the device holds.
set -u
exe=$1 image=$2 shots=$3
mkdir -p "$shots"
work=$(mktemp -d)
fail() { echo "FAIL: $*" >&2; exit 1; }

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & xpid=$!
exec 3>&-
cleanup() { kill "${apid:-0}" 2>/dev/null; kill "$xpid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")

export VARNET_DEVICE=simulated VARNET_SIM_LATENCY_MS=2 VARNET_REGISTRY_DIR="$work/registry"
export VARNET_SIM_TRANSCRIPT="$work/transcript.txt" VARNET_SIM_FLASH_OUT="$work/flash.txt"
export XDG_RUNTIME_DIR="$work" HOME="$work"
"$exe" & apid=$!

wid=""
for _ in $(seq 1 100); do
  wid=$(xdotool search --onlyvisible --pid "$apid" 2>/dev/null | head -n1)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || fail "no window within 10 s"
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" = 432 ] && [ "$HEIGHT" = 295 ] || fail "window is ${WIDTH}x${HEIGHT}, not 432x295"
sleep 0.5
shot() { import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" "$shots/$1.png"; }
shot welcome
# The window shows the device on the dark background: the corner is the background colour.
corner=$(convert "$shots/welcome.png" -format '%[pixel:p{2,2}]' info: 2>/dev/null)
case "$corner" in *48,48,48*|*303030*) ;; *) fail "unexpected background colour $corner";; esac

xdotool mousemove $((X + 297)) $((Y + 282)) click 1
for _ in $(seq 1 600); do
  [ -s "$work/flash.txt" ] && break
  kill -0 "$apid" 2>/dev/null || fail "the updater ended during the upload"
  sleep 0.1
done
[ -s "$work/flash.txt" ] || fail "the upload did not finish within 60 s"
sleep 1
shot success

xdotool mousemove $((X + 387)) $((Y + 282)) click 1
for _ in $(seq 1 100); do kill -0 "$apid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$apid" 2>/dev/null && fail "Exit did not end the program"
wait "$apid"; status=$?
[ "$status" = 1 ] || fail "exit status $status, not 1"

# Every row of the image is in the flash, and nothing else.
rows=$(tail -n +2 "$image" | grep -c '^:')
flash_rows=$(wc -l < "$work/flash.txt")
[ "$rows" = "$flash_rows" ] || fail "flash holds $flash_rows rows, the image $rows"
while read -r _ _ hex; do
  grep -qiF "$hex" "$image" || fail "a programmed row is not in the image"
done < "$work/flash.txt"
grep -q '^SWITCH 00 12 34 00' "$work/transcript.txt" || fail "no switch report in the transcript"
echo "PASS: $rows rows uploaded through the window; screenshots in $shots"
