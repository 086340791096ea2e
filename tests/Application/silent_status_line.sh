#!/usr/bin/env bash
# silent_status_line.sh EXE
# A silent update against the simulated Varnet, twice. With standard error on a pseudo-terminal
# (made by script(1)) it shows one self-updating line through the stages (searching, switching,
# writing NN %, restarting), wiped before the outcome line. With standard error in a file it
# writes the outcome line and not one character more. Standard output stays empty both times.
set -u
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$(dirname "$exe")/Varnet1.0.2.cyacd" ] || fail "no sample image beside $exe"

export VARNET_DEVICE=simulated VARNET_SIM_VERSION=1.0.1 VARNET_SIM_LATENCY_MS=0 DISPLAY=
export XDG_RUNTIME_DIR="$work" HOME="$work"
outcome='varnet-updater: updated to 1.0.2'

# Not a terminal: exactly the outcome line.
VARNET_REGISTRY_DIR="$work/registry-file" "$exe" -SILENT >"$work/out-file" 2>"$work/err-file"
[ -s "$work/out-file" ] && fail "standard output holds: $(cat "$work/out-file")"
[ "$(cat "$work/err-file")" = "$outcome" ] && [ "$(wc -l < "$work/err-file")" = 1 ] ||
  fail "standard error in a file holds: $(od -c "$work/err-file" | head -20)"

# A terminal: script gives the program a pseudo-terminal and keeps everything written to it.
# Standard output goes to a file of its own, so only standard error reaches the terminal.
VARNET_REGISTRY_DIR="$work/registry-tty" script -qec "'$exe' -SILENT >'$work/out-tty'" "$work/typescript" \
  >/dev/null </dev/null
[ -s "$work/out-tty" ] && fail "standard output holds: $(cat "$work/out-tty")"
# The terminal turns each newline into CR LF; the program's own rewrites are bare CRs. script adds
# lines of its own ("Script started/done on ...").
text=$(grep -av '^Script \(started\|done\) on ' "$work/typescript" | tr -d '\n')
for stage in 'searching' 'switching' 'writing 0 %' 'writing 100 %' 'restarting'; do
  grep -qF $'\r'"varnet-updater: $stage" <<<"$text" || fail "no '$stage' on the terminal: $(od -c "$work/typescript" | head -30)"
done
# The rising share comes in between, each one rewriting the line.
[ "$(grep -o $'\r''varnet-updater: writing [0-9]* %' <<<"$text" | wc -l)" -ge 10 ] || fail "too few progress rewrites"
# After the last stage: the wipe, then the outcome alone on its line, then nothing.
tail_text=${text##*restarting}
[[ "$tail_text" =~ ^\ *$'\r'\ +$'\r'"$outcome"$'\r'$ ]] ||
  fail "the line after the stages is not wiped before the outcome: $(printf '%s' "$tail_text" | od -c | head)"
echo "PASS: a status line on a terminal, the outcome line alone in a file"
