# Shared helpers of the end-to-end tests; sourced, not run.
# e2e_setup starts a private Xvfb and a scratch folder; the program runs against the simulated Varnet
# with its registry, runtime folder and home inside that folder. Cleanup ends only the processes
# started here (by their ids) and removes the folder.
# Every wait is bounded: e2e_wait polls a condition for a given number of tenths of a second.

fail() { echo "FAIL: $*" >&2; exit 1; }

E2E_PIDS=()

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || continue
    # A program that does not end on request within 3 s is killed.
    e2e_wait 30 e2e_ended "$pid" || kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  [ -n "${xpid:-}" ] && kill "$xpid" 2>/dev/null && wait "$xpid" 2>/dev/null
  [ -n "${work:-}" ] && rm -rf "$work"
}

# e2e_wait TENTHS COMMAND...: true once COMMAND succeeds, false after TENTHS tenths of a second
# (measured on the wall clock, so a slow condition does not stretch the bound).
e2e_wait() {
  local end=$(( $(date +%s%N) + $1 * 100000000 )); shift
  until "$@"; do
    [ "$(date +%s%N)" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# e2e_setup SHOTDIR: Xvfb on a free display (DISPLAY exported), scratch folder $work, simulator env.
e2e_setup() {
  shots=$1
  mkdir -p "$shots"
  work=$(mktemp -d)
  trap e2e_cleanup EXIT
  exec 3>"$work/display"
  # -noreset: by default the server resets whenever its last client leaves, and a program that
  # connects just then (after the previous run or an xdotool call) loses its window.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 & xpid=$!
  exec 3>&-
  e2e_wait 100 test -s "$work/display" || fail "Xvfb did not start"
  export DISPLAY=:$(head -n1 "$work/display")
  export VARNET_DEVICE=simulated VARNET_SIM_LATENCY_MS=2 VARNET_REGISTRY_DIR="$work/registry"
  export VARNET_SIM_TRANSCRIPT="$work/transcript.txt" VARNET_SIM_FLASH_OUT="$work/flash.txt"
  export XDG_RUNTIME_DIR="$work" HOME="$work"
}

_e2e_check_image() {
  # Without an image argument the program takes the sample image from its own folder.
  [ -f "$(dirname "$1")/Varnet1.0.2.cyacd" ] ||
    fail "no Varnet1.0.2.cyacd beside $1 (build the VarnetSampleImage target)"
}

# e2e_start EXE [ARG...]: starts the program in the background; its id is in $apid.
e2e_start() {
  _e2e_check_image "$1"
  "$@" & apid=$!
  E2E_PIDS+=("$apid")
}

# e2e_start_default EXE [ARG...]: as e2e_start, with every signal at its default action (a script's
# background job ignores SIGINT and SIGQUIT) and standard error appended to $work/stderr.txt.
e2e_start_default() {
  _e2e_check_image "$1"
  "${E2E_DEFAULT_SIGNALS:?the default_signals helper is needed}" "$@" 2>>"$work/stderr.txt" & apid=$!
  E2E_PIDS+=("$apid")
}

# e2e_expect_stderr FILE TEXT: FILE holds a line that begins with TEXT.
e2e_expect_stderr() {
  grep -qF -- "$2" "$1" 2>/dev/null && grep -- "$2" "$1" | grep -q "^varnet-updater: " ||
    fail "no line '$2' on standard error; it holds: $(cat "$1" 2>/dev/null)"
}

e2e_running() { kill -0 "${1:-$apid}" 2>/dev/null; }
e2e_ended() { ! kill -0 "${1:-$apid}" 2>/dev/null; }

# The title of the window shown while the device is looked for.
E2E_SPLASH_TITLE="Varnet Firmware Updater"
# Visible top-level windows of a process, one id a line; the searching window is not one of them.
e2e_windows_of() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$E2E_SPLASH_TITLE" ] || echo "$w"
  done
}

_e2e_has_window() {
  wid=$(e2e_windows_of "$apid" | head -n1)
  [ -n "$wid" ] && return 0
  e2e_running || { wait "$apid"; fail "the program ended with status $? before showing a window"; }
  return 1
}

# e2e_window TENTHS: waits for the program's window; sets wid, X, Y, WIDTH, HEIGHT.
e2e_window() {
  if ! e2e_wait "$1" _e2e_has_window; then
    # Say what the program was doing, for a failure that does not repeat.
    local w
    echo "display $DISPLAY; the program's: $(tr '\0' '\n' < "/proc/$apid/environ" 2>/dev/null | grep '^DISPLAY=')" >&2
    echo "root children: $(xwininfo -root -children 2>/dev/null | grep -cE '^ +0x')" >&2
    xwininfo -root -children 2>/dev/null | grep -E '^ +0x' | head -5 >&2
    for w in $(xdotool search --name '' 2>/dev/null); do
      echo "window $w: $(xwininfo -id "$w" 2>/dev/null | grep -E 'Map State|geometry' | tr -s ' \n' ' ')" \
           "$(xprop -id "$w" _NET_WM_PID WM_NAME 2>/dev/null | tr '\n' ' ')" >&2
    done
    command -v gdb >/dev/null && timeout 20 gdb -p "$apid" -batch -ex 'thread apply all bt 12' 2>/dev/null |
      grep -E '^(Thread|#)' >&2
    fail "no window within $(( $1 / 10 )) s"
  fi
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  [ "$WIDTH" = 432 ] && [ "$HEIGHT" = 295 ] || fail "window is ${WIDTH}x${HEIGHT}, not 432x295"
}

# e2e_shot NAME: the window's pixels to $shots/NAME.png.
e2e_shot() {
  import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$shots/$1.png" ||
    fail "no screenshot $1"
}

# e2e_click X Y: left click at window-relative coordinates.
e2e_click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; }
e2e_click_next() { e2e_click 297 282; }
e2e_click_exit() { e2e_click 387 282; }

# e2e_exit_by_button TENTHS: clicks Exit once a second until the program ends with status 1. A
# click that comes while a slow start (a sanitizer build) has mapped the window but not yet laid
# out its page is not taken; only the window's ending is what the caller waits for.
e2e_exit_by_button() {
  local waited=0
  while [ "$waited" -lt "$1" ]; do
    e2e_click_exit
    e2e_wait 10 e2e_ended && break
    waited=$((waited + 10))
  done
  e2e_expect_exit 10
}

# e2e_close: the window manager's close request (WM_DELETE_WINDOW) to the program's window.
e2e_close() { "$wm_close" "$wid" || fail "the close request could not be sent"; }

# e2e_expect_exit TENTHS: the program ends within the time with status 1 (its status after a run).
e2e_expect_exit() {
  e2e_wait "$1" e2e_ended || fail "the program did not end within $(( $1 / 10 )) s"
  wait "$apid"; local status=$?
  [ "$status" = 1 ] || fail "exit status $status, not 1"
}

# e2e_pixel FILE X Y: the colour of one pixel as ImageMagick writes it.
e2e_pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null; }

# e2e_region_diff A B GEOMETRY: number of pixels that differ between two shots inside GEOMETRY.
e2e_region_diff() {
  convert "$1" -crop "$3" +repage "$work/region-a.png" &&
    convert "$2" -crop "$3" +repage "$work/region-b.png" || { echo error; return; }
  compare -metric AE "$work/region-a.png" "$work/region-b.png" null: 2>&1 | cut -d' ' -f1
}

# e2e_progress_fill SHOT: how many pixels of the progress bar's middle row are filled (orange).
e2e_progress_fill() {
  convert "$1" -crop 420x1+6+266 +repage txt:- 2>/dev/null |
    grep -cE 'srgb\((1[89][0-9]|2[0-5][0-9]),(1[1-7][0-9]),([0-6]?[0-9])\)'
}

# e2e_wait_commands N TENTHS: waits until the device has received at least N output reports.
e2e_wait_commands() {
  local n=$1
  _e2e_commands_reached() { [ "$(grep -c '^OUT' "$work/transcript.txt" 2>/dev/null)" -ge "$n" ]; }
  e2e_wait "$2" _e2e_commands_reached || fail "fewer than $n reports reached the device in time"
}

# The message sits between the device picture and the buttons.
E2E_MESSAGE_AREA=432x90+0+168
# The Next button; pages other than the welcome page do not show it.
E2E_NEXT_AREA=80x16+257+274

# e2e_expect_page_differs SHOT REFERENCE WHAT: the message area of SHOT is not that of REFERENCE.
e2e_expect_page_differs() {
  local d
  d=$(e2e_region_diff "$1" "$2" "$E2E_MESSAGE_AREA")
  [ "${d%.*}" -gt 500 ] 2>/dev/null || fail "the message area looks like $3 ($d pixels differ)"
}

# e2e_expect_no_next SHOT REFERENCE: the Next button of REFERENCE is gone from SHOT.
e2e_expect_no_next() {
  local d
  d=$(e2e_region_diff "$1" "$2" "$E2E_NEXT_AREA")
  [ "${d%.*}" -gt 200 ] 2>/dev/null || fail "the Next button is still shown ($d pixels differ)"
}

# e2e_welcome_reference EXE: runs the program once against an up-to-date-to-be device and keeps its
# welcome page as $shots/welcome-reference.png, the page the others are compared with.
e2e_welcome_reference() {
  VARNET_SIM_STATE=application VARNET_SIM_VERSION=1.0.1 VARNET_SIM_FAULTS= \
    e2e_start "$1"
  e2e_window 200
  sleep 0.5
  e2e_shot welcome-reference
  e2e_click_exit
  e2e_expect_exit 100
}

# The Exit button is on show when its area matches the welcome page's (the progress pages show no
# button at all).
E2E_EXIT_AREA=80x16+347+274
_e2e_exit_button_shown() {
  e2e_running || fail "the program ended while a page with Exit was awaited"
  import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$work/now.png" 2>/dev/null &&
    [ "$(e2e_region_diff "$work/now.png" "$shots/welcome-reference.png" "$E2E_EXIT_AREA")" = 0 ]
}
# e2e_wait_exit_button TENTHS: waits (polling screenshots) for a page that offers Exit.
e2e_wait_exit_button() {
  e2e_wait "$1" _e2e_exit_button_shown || fail "no page with Exit within $(( $1 / 10 )) s"
}

# e2e_expect_flash IMAGE: the simulated device's flash holds every row of IMAGE and nothing else,
# and the program sent the switch report.
e2e_expect_flash() {
  local rows flash_rows hex _
  rows=$(tail -n +2 "$1" | grep -c '^:')
  flash_rows=$(wc -l < "$work/flash.txt")
  [ "$rows" = "$flash_rows" ] || fail "flash holds $flash_rows rows, the image $rows"
  while read -r _ _ hex; do
    grep -qiF "$hex" "$1" || fail "a programmed row is not in the image"
  done < "$work/flash.txt"
  grep -q '^SWITCH 00 12 34 00' "$work/transcript.txt" || fail "no switch report in the transcript"
}

_e2e_upload_done() {
  e2e_running || fail "the program ended during the upload"
  test -s "$work/flash.txt"
}
# e2e_wait_upload TENTHS: waits for the device's flash to be written, the program still running.
e2e_wait_upload() {
  e2e_wait "$1" _e2e_upload_done || fail "the upload did not finish within $(( $1 / 10 )) s"
}

# e2e_setup_with_reference EXE SHOTDIR: e2e_setup, then the welcome reference, with the simulator's
# transcript and flash output emptied again for the run under test.
e2e_setup_with_reference() {
  e2e_setup "$2"
  e2e_welcome_reference "$1"
  rm -f "$work/transcript.txt" "$work/flash.txt"
}
