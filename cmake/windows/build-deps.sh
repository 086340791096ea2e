#!/usr/bin/env bash
# Builds the Windows build's static dependencies into the folder given (default build/windows-deps):
# Expat from Debian's source package (with Debian's patches) and GoogleTest from /usr/src/googletest.
# A stamp per library skips what is already there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deps=$(mkdir -p "${1:-build/windows-deps}" && cd "${1:-build/windows-deps}" && pwd)
work=$deps/src
mkdir -p "$work"
toolchain=$here/mingw-w64.cmake
common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX="$deps" -DVARNET_WINDOWS_DEPS="$deps")

if [ ! -f "$deps/expat.stamp" ]; then
  # apt-get source needs a deb-src entry; Debian 12 has none by default.
  if ! apt-get source --print-uris expat >/dev/null 2>&1; then
    cat >/etc/apt/sources.list.d/varnet-deb-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update -qq
  fi
  rm -rf "$work/expat" && mkdir -p "$work/expat"
  (cd "$work/expat" && apt-get source --download-only expat >/dev/null 2>&1 &&
   dpkg-source -x ./*.dsc tree >/dev/null)
  src=$work/expat/tree/expat
  # Debian's 2.5.0 CMake template leaves XML_DTD without a value, so "#if XML_DTD" is false and
  # the parser lacks the parameter-entity handling its header promises.
  sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' "$src/expat_config.h.cmake"
  cmake -S "$src" -B "$work/expat/build" "${common[@]}" -DEXPAT_SHARED_LIBS=OFF \
    -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF \
    -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=ON >/dev/null
  cmake --build "$work/expat/build" -j "$(nproc)" >/dev/null
  cmake --install "$work/expat/build" >/dev/null
  touch "$deps/expat.stamp"
fi

if [ ! -f "$deps/gtest.stamp" ]; then
  cmake -S /usr/src/googletest -B "$work/gtest" "${common[@]}" -Dgtest_disable_pthreads=OFF \
    -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON >/dev/null
  cmake --build "$work/gtest" -j "$(nproc)" >/dev/null
  cmake --install "$work/gtest" >/dev/null
  touch "$deps/gtest.stamp"
fi
