#!/usr/bin/env bash
# Checks that every C++ file of the tree is in the format .clang-format describes.
#   cmake/check-format.sh        lists the files that differ and fails if there is one
#   cmake/check-format.sh --fix  rewrites them in place
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format}
if ! command -v "$format" >/dev/null; then
  echo "check-format: $format is not installed" >&2
  exit 2
fi
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.c')
if [ "${1:-}" = --fix ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -r "$format" -i
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  "$format" --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  printf 'not formatted: %s\n' "${bad[@]}" >&2
  echo "check-format: ${#bad[@]} file(s) differ from .clang-format; run cmake/check-format.sh --fix" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
