#!/usr/bin/env bash
# installer.sh SETUP VERSION
# Installs the program silently into the Wine prefix (WINEPREFIX), checks the files, the Start-menu
# entry and the uninstall entry, runs the installed program's --version, then uninstalls silently
# and checks that everything it installed is gone.
set -u
setup=$1 version=$2
wine=/usr/lib/wine/wine64
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -n "${WINEPREFIX:-}" ] || fail "WINEPREFIX is not set"
c="$WINEPREFIX/drive_c"
dir="$c/VarnetInstallTest/Varnet Firmware Updater"
korvo="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Korvo"
menu="$korvo/Firmware Updater"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VarnetFirmwareUpdater'
rm -rf "$c/VarnetInstallTest"

# /D must be the last argument and takes the rest of the line, spaces included.
timeout 120 "$wine" "$setup" /S '/D=C:\VarnetInstallTest\Varnet Firmware Updater' ||
  fail "the installer ended with status $?"
for f in varnet-updater.exe IniFileManager.dll Varnet1.0.2.cyacd Uninstall.exe; do
  [ -f "$dir/$f" ] || fail "$f was not installed"
done
cmp -s "$dir/Varnet1.0.2.cyacd" "$(dirname "$0")/../../resources/Varnet1.0.2.cyacd" ||
  fail "the installed image differs from the resource"
# Where the window's own text sends the user: Korvo > Firmware Updater > Varnet.
[ -f "$menu/Varnet.lnk" ] || fail "no Start-menu entry Korvo > Firmware Updater > Varnet"
"$wine" reg query "$key" /v UninstallString 2>/dev/null | grep -qF 'Uninstall.exe' ||
  fail "no uninstall entry in the registry"
out=$(timeout 60 "$wine" "$dir/varnet-updater.exe" --version 2>&1)
[ "$out" = "varnet-updater (Varnet Firmware Updater) $version" ] ||
  fail "the installed program answers '$out' to --version"

# The uninstaller copies itself away and goes on in the background: its work is waited for, bounded.
timeout 60 "$wine" "$dir/Uninstall.exe" /S || fail "the uninstaller ended with status $?"
for _ in $(seq 1 300); do
  [ -e "$dir" ] || [ -e "$korvo" ] || break
  sleep 0.1
done
[ -e "$dir" ] && fail "the program's folder is still there: $(ls "$dir")"
[ -e "$korvo" ] && fail "the Start-menu folder is still there"
"$wine" reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry is still in the registry"
echo "PASS: installed, ran --version ($out), uninstalled"
