# Sourced by run.sh and test.sh: installs the Debian packages the build needs when missing.
# As root it installs them (non-interactive); otherwise it names them and stops.
varnet_ensure_packages() {
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Fonts: Liberation Sans has the metrics of the skin's Arial; WenQuanYi Micro Hei draws Japanese,
# Korean and both Chinese.
VARNET_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config libexpat1-dev libhidapi-dev
  libsdl2-dev libx11-dev libcairo2-dev libpango1.0-dev fonts-liberation fonts-wqy-microhei)
VARNET_TEST_PACKAGES=(clang-format libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool imagemagick
  desktop-file-utils qemu-system-x86 busybox-static xz-utils)
# The Windows build: the MinGW-w64 cross compiler, Wine to run it, NSIS for the installer, Debian's
# source tools for Expat, GoogleTest's sources, and the fonts Wine draws with.
VARNET_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 nsis dpkg-dev googletest xvfb xauth xdotool
  imagemagick fonts-liberation fonts-wqy-microhei)
