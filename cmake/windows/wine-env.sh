# Sourced: a private Wine prefix for the Windows build's tests, made once and kept running.
#   varnet_wine_prefix DIR   sets WINEPREFIX to DIR, initialises it once, and starts a persistent
#                            wineserver with Wine's services running
# Wine's own services otherwise start and stop around every test and hold its pipe; a persistent
# server started first keeps discovery and the tests from waiting on them.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
varnet_wine=/usr/lib/wine/wine64

varnet_wine_prefix() {
  mkdir -p "$1"
  export WINEPREFIX=$(cd "$1" && pwd)
  if [ ! -f "$WINEPREFIX/.varnet-ready" ]; then
    wineserver -p >/dev/null 2>&1
    "$varnet_wine" wineboot --init >/dev/null 2>&1
    # Arial, the skin's font, is drawn with Liberation Sans (same metrics); a CJK font draws the
    # Asian string tables.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    ln -sf /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf "$fonts/"
    ln -sf /usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf "$fonts/"
    ln -sf /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$fonts/"
    local key='HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements'
    "$varnet_wine" reg add "$key" /v Arial /d "Liberation Sans" /f >/dev/null 2>&1
    # The session that made the prefix loses Wine's own HID devices (its mouse and keyboard) once
    # its services have been idle for a while; the tests run in a session of their own.
    wineserver -k >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.varnet-ready"
  fi
  wineserver -p >/dev/null 2>&1
  # Wine's services start with the first program of a session and keep its standard output: they
  # start here, on /dev/null, so that no test's output pipe is held open by them.
  "$varnet_wine" wineboot </dev/null >/dev/null 2>&1
}
