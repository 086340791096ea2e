#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   ./test.sh             the format check and the normal build (warnings are errors)
#   ./test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer
#   ./test.sh --tsan      ThreadSanitizer
#   ./test.sh --fuzz      builds the libFuzzer targets with clang and runs each for a short time
#   ./test.sh --windows   the Windows build (MinGW-w64), its tests under Wine, and its installer
# Without an option, the Windows build and its tests run after the Linux ones.
set -euo pipefail
cd "$(dirname "$0")"
source cmake/ensure-packages.sh

mode=default
case "${1:-}" in
  "") ;;
  --sanitize) mode=sanitize ;;
  --tsan) mode=tsan ;;
  --fuzz) mode=fuzz ;;
  --windows) mode=windows ;;
  *) echo "usage: $0 [--sanitize | --tsan | --fuzz | --windows]" >&2; exit 2 ;;
esac

# The Windows build in build/windows: static dependencies first, then the tree with the MinGW-w64
# toolchain, then every test under Wine on a private Xvfb display (the windows need one).
run_windows() {
  varnet_ensure_packages "${VARNET_BUILD_PACKAGES[@]}" "${VARNET_WINDOWS_PACKAGES[@]}"
  # One private X display for the whole run: Wine's services start once, with the prefix's session,
  # and see the same display as every test's windows.
  local xdisplay xpid status=0
  xdisplay=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$xdisplay" >/dev/null 2>&1 & xpid=$!
  for _ in $(seq 1 100); do [ -s "$xdisplay" ] && break; sleep 0.1; done
  [ -s "$xdisplay" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$(head -n1 "$xdisplay")
  rm -f "$xdisplay"
  trap 'wineserver -k 2>/dev/null; kill '"$xpid"' 2>/dev/null' EXIT
  cmake/windows/build-deps.sh build/windows-deps
  # The Linux program and the image beside it, whose packets the Windows program's are compared with.
  if [ ! -x build/default/src/varnet-updater ] || [ ! -f build/default/src/Varnet1.0.2.cyacd ]; then
    cmake -S . -B build/default -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNET_WERROR=ON >/dev/null
    cmake --build build/default -j "$(nproc)" --target varnet-updater VarnetSampleImage
  fi
  source cmake/windows/wine-env.sh
  # A server left from an earlier run may have started the services without a display.
  WINEPREFIX="$PWD/build/windows/wine" wineserver -k 2>/dev/null || true
  varnet_wine_prefix build/windows/wine
  cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/windows/mingw-w64.cmake" \
    -DVARNET_WINDOWS_DEPS="$PWD/build/windows-deps" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNET_WERROR=ON \
    -DVARNET_BUILD_BENCH=OFF -DVARNET_LINUX_UPDATER="$PWD/build/default/src/varnet-updater" >/dev/null
  cmake --build build/windows -j "$(nproc)"
  ctest --test-dir build/windows --output-on-failure -j "$(nproc)" || status=$?
  return $status
}
if [ "$mode" = windows ]; then
  run_windows
  exit
fi

packages=("${VARNET_BUILD_PACKAGES[@]}" "${VARNET_TEST_PACKAGES[@]}")
[ "$mode" = fuzz ] && packages+=(clang libclang-rt-dev)
varnet_ensure_packages "${packages[@]}"

# The tree has one format (.clang-format); a difference fails the run before anything is built.
if [ "$mode" = default ]; then
  cmake/check-format.sh
fi

build=build/$mode
flags=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNET_WERROR=ON)
case "$mode" in
  sanitize) flags+=(-DVARNET_SANITIZE=ON -DVARNET_BUILD_BENCH=OFF) ;;
  tsan) flags+=(-DVARNET_TSAN=ON -DVARNET_BUILD_BENCH=OFF) ;;
  fuzz) flags+=(-DVARNET_FUZZ=ON -DVARNET_BUILD_TESTS=OFF -DVARNET_BUILD_BENCH=OFF
                -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
esac

cmake -S . -B "$build" "${flags[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

if [ "$mode" = fuzz ]; then
  # Each target runs for a bounded time over its committed seeds (fuzz/corpus/<name>, read only)
  # and what it learned before (build/fuzz/corpus/<name>, where new inputs go). Crash, leak and
  # timeout reproducers land in build/fuzz/artifacts.
  seconds=${VARNET_FUZZ_SECONDS:-30}
  if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "VARNET_FUZZ_SECONDS must be a whole number of seconds above 0, not '$seconds'" >&2
    exit 2
  fi
  mkdir -p "$build/artifacts"
  status=0 ran=0
  for f in "$build"/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f"); name=${name#fuzz_}
    if [ ! -d "fuzz/corpus/$name" ]; then
      echo "fuzz target $name has no seed corpus in fuzz/corpus/$name" >&2
      status=1; continue
    fi
    mkdir -p "$build/corpus/$name"
    echo "== fuzzing $name for $seconds s"
    if ! "$f" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
         -artifact_prefix="$PWD/$build/artifacts/$name-" \
         "$build/corpus/$name" "fuzz/corpus/$name" 2>"$build/artifacts/$name.log"; then
      tail -n 60 "$build/artifacts/$name.log" >&2
      echo "== $name FAILED; reproducer and log in $build/artifacts" >&2
      status=1
    else
      grep -E '^stat::number_of_executed_units|^Done' "$build/artifacts/$name.log" || true
    fi
    ran=$((ran + 1))
  done
  if [ "$ran" -eq 0 ]; then
    echo "no fuzz targets were built in $build/fuzz" >&2
    exit 1
  fi
  exit $status
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/cmake/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/cmake/tsan.supp}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
if [ "$mode" = default ]; then
  run_windows
fi
