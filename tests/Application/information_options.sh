#!/usr/bin/env bash
# information_options.sh EXE README
# --help and --version answer on standard output with status 0 and touch nothing: no device (the
# simulated one keeps no transcript), nothing on standard error. The usage names every option the
# README's option table lists, so the two cannot drift apart.
set -u
exe=$1 readme=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

run() {
  VARNET_DEVICE=simulated VARNET_SIM_TRANSCRIPT="$work/transcript.txt" \
    VARNET_REGISTRY_DIR="$work/registry" XDG_RUNTIME_DIR="$work" DISPLAY= \
    "$exe" "$@" >"$work/out" 2>"$work/err"
}

run --version; status=$?
[ "$status" -eq 0 ] || fail "--version ended with status $status"
grep -qx 'varnet-updater (Varnet Firmware Updater) [0-9]*\.[0-9]*\.[0-9]*' "$work/out" ||
  fail "--version printed: $(cat "$work/out")"

# Among other options, as the driver package might add it.
run -SILENT --help; status=$?
[ "$status" -eq 0 ] || fail "--help ended with status $status"
grep -q '^Usage: varnet-updater' "$work/out" || fail "--help printed no usage"
options=$(grep -oE '^\| `-[A-Z_]+' "$readme" | sed 's/^| `//' | sort -u)
[ -n "$options" ] || fail "no options found in the README's table"
for option in $options; do
  grep -q -- "$option" "$work/out" || fail "the usage does not name $option"
done

[ ! -s "$work/err" ] || fail "standard error was not empty: $(cat "$work/err")"
[ ! -e "$work/transcript.txt" ] || fail "the device was touched"
ls "$work" | grep -q 'lock\|sock' && fail "a single-instance file was made"
echo "PASS: --version and --help ($(echo "$options" | wc -l) options)"
