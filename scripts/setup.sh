#!/usr/bin/env bash
# Installs what the build needs on a fresh Debian machine (when missing), then configures and builds a preset.
# Usage: scripts/setup.sh [preset]   (default: default)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

packages=(build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl1-mesa-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libcli11-dev
  fonts-noto-cjk fonts-liberation fonts-dejavu-core qt6-translations-l10n xvfb xauth openbox xdotool x11-apps
  at-spi2-core python3-pyatspi  # the end-to-end test that reads the window as a screen reader does
  libpython3.11 libedit2 libtirpc3)  # the last three: what LinuxCNC's rs274 needs to run (see below)
[ "$preset" = fuzz ] && packages+=(clang libclang-rt-14-dev)
# The Windows cross build needs no Qt: mingw-w64's -posix compilers, GoogleTest's sources, CLI11's headers,
# and Wine for the tests (the wrapper wine with wine64 runs 64-bit programs; no 32-bit Wine needed).
[ "$preset" = windows ] && packages=(build-essential cmake ninja-build g++-mingw-w64-x86-64-posix
  googletest libcli11-dev wine wine64)
# The web page's module, its Node tests and its browser tests (scripts/web.sh test, which also installs the
# browser driver from npm). Node and npm from Debian unless the machine has them already.
[ "$preset" = default ] && packages+=(emscripten node-acorn chromium)
[ "$preset" = default ] && ! command -v npm >/dev/null && packages+=(nodejs npm)

scripts/install-packages.sh "${packages[@]}"

# LinuxCNC's rs274 interpreter checks the programs of every dialect; unpacked, not installed.
[ "$preset" = default ] && scripts/fetch-rs274.sh "build/$preset/linuxcnc"

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
