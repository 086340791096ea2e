#!/usr/bin/env bash
# same_packets.sh LINUX_EXE WINDOWS_EXE
# A silent update of the simulated Varnet from 1.0.1 by the Linux program and by the Windows program
# (under Wine, through its wrapper): the device must receive the same reports, byte for byte, and
# end up with the same flash.
set -u
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() {  # run NAME EXE
  mkdir -p "$work/$1"
  VARNET_DEVICE=simulated VARNET_SIM_VERSION=1.0.1 VARNET_SIM_LATENCY_MS=0 \
    VARNET_SIM_TRANSCRIPT="$work/$1/transcript.txt" VARNET_SIM_FLASH_OUT="$work/$1/flash.txt" \
    VARNET_REGISTRY_DIR="$work/$1/registry" XDG_RUNTIME_DIR="$work/$1" \
    timeout 180 "$2" -SILENT >"$work/$1/out.txt" 2>&1
  echo $? >"$work/$1/status"
}
run linux "$1"
run windows "$2"
for side in linux windows; do
  [ "$(cat "$work/$side/status")" = 1 ] || fail "the $side program ended with status $(cat "$work/$side/status"): $(cat "$work/$side/out.txt")"
  grep -q 'updated to 1.0.2' "$work/$side/out.txt" || fail "the $side program did not say it updated: $(cat "$work/$side/out.txt")"
  [ -s "$work/$side/transcript.txt" ] || fail "no transcript from the $side program"
done
cmp "$work/linux/transcript.txt" "$work/windows/transcript.txt" ||
  fail "the reports differ: $(diff "$work/linux/transcript.txt" "$work/windows/transcript.txt" | head -5)"
cmp "$work/linux/flash.txt" "$work/windows/flash.txt" || fail "the flash differs"
echo "PASS: $(wc -l <"$work/linux/transcript.txt") transcript lines and $(wc -l <"$work/linux/flash.txt") flash rows equal"
