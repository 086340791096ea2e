#!/usr/bin/env bash
# Screenshots of the waiting states in every shipped language, into docs/screenshots/<language>/:
#   welcome.png         the welcome page, Next focused
#   searching.png       the searching window (no Varnet plugged in)
#   switching.png       the switching page with its sliding bar (a device that never shows its bootloader)
#   refused-close.png   the notice over the dimmed window after a close request during the upload
# Usage: tools/make_screenshots.sh BUILD_DIR   (needs Xvfb, xdotool, ImageMagick; the build's
# varnet-updater and tests/e2e/wm_close)
set -u
build=${1:?usage: make_screenshots.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$build/src/varnet-updater wm_close=$build/tests/e2e/wm_close
[ -x "$exe" ] && [ -x "$wm_close" ] || { echo "build varnet-updater and wm_close first" >&2; exit 2; }
source "$root/tests/e2e/lib.sh"
e2e_setup "$(mktemp -d)"

shoot_window() {  # shoot_window WID FILE
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$2" || fail "no screenshot $2"
  convert "$2" -strip -define png:compression-level=9 "$2"
}
_any_window() { [ -n "$(xdotool search --onlyvisible --pid "$apid" 2>/dev/null)" ]; }
end_program() { kill -KILL "$apid" 2>/dev/null; wait "$apid" 2>/dev/null; }

for pair in en:en_US es:es_ES de:de_DE ja:ja_JP fr:fr_FR it:it_IT ko:ko_KR zh-TW:zh_TW zh-CN:zh_CN; do
  lang=${pair%%:*} out=$root/docs/screenshots/${pair%%:*}
  export LANG=${pair#*:}.UTF-8
  unset LC_ALL LC_MESSAGES
  mkdir -p "$out"

  VARNET_SIM_STATE=absent e2e_start "$exe"
  e2e_wait 50 _any_window || fail "$lang: no searching window"
  sleep 1.5
  shoot_window "$(xdotool search --onlyvisible --pid "$apid" | head -n1)" "$out/searching.png"
  end_program

  VARNET_SIM_FAULTS=no-bootloader e2e_start "$exe"
  e2e_window 100
  sleep 0.5
  shoot_window "$wid" "$out/welcome.png"
  e2e_click_next
  sleep 2
  shoot_window "$wid" "$out/switching.png"
  end_program

  rm -f "$work/transcript.txt"
  VARNET_SIM_LATENCY_MS=10 e2e_start "$exe"
  e2e_window 100
  e2e_click_next
  e2e_wait_commands 10 300
  "$wm_close" "$wid"
  sleep 0.7
  shoot_window "$wid" "$out/refused-close.png"
  end_program
  echo "$lang done"
done
