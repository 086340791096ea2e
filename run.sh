#!/usr/bin/env bash
# Installs what is missing, builds in release mode and starts the updater with the arguments given.
# Without VARNET_DEVICE it runs the demo: the simulated Varnet at 1.0.1 and the bundled 1.0.2 image.
set -euo pipefail
cd "$(dirname "$0")"
source cmake/ensure-packages.sh
varnet_ensure_packages "${VARNET_BUILD_PACKAGES[@]}"

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNET_BUILD_TESTS=OFF \
  -DVARNET_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

exe=$build/src/varnet-updater
if [ ! -x "$exe" ]; then
  echo "Built the libraries; the varnet-updater program is not part of this build yet." >&2
  exit 0
fi
export VARNET_DEVICE=${VARNET_DEVICE:-simulated}
exec "$exe" "$@"
