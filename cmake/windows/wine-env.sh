# Sourced: a private Wine prefix for the Windows build's tests, made once and kept running.
#   varnet_wine_prefix DIR   sets WINEPREFIX to DIR, starts a persistent wineserver and initialises it
# Wine's own services otherwise start and stop around every test and hold its pipe; a persistent
# server started first keeps discovery and the tests from waiting on them.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
varnet_wine=/usr/lib/wine/wine64

varnet_wine_prefix() {
  mkdir -p "$1"
  export WINEPREFIX=$(cd "$1" && pwd)
  wineserver -p >/dev/null 2>&1
  if [ ! -f "$WINEPREFIX/.varnet-ready" ]; then
    "$varnet_wine" wineboot --init >/dev/null 2>&1
    # Arial, the skin's font, is drawn with Liberation Sans (same metrics); a CJK font draws the
    # Asian string tables.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    ln -sf /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf "$fonts/"
    ln -sf /usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf "$fonts/"
    ln -sf /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$fonts/"
    local key='HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements'
    "$varnet_wine" reg add "$key" /v Arial /d "Liberation Sans" /f >/dev/null 2>&1
    touch "$WINEPREFIX/.varnet-ready"
  fi
}
