#!/usr/bin/env bash
# Builds the Debian package of Skimplane and checks it: its files, its desktop entry and metainfo, lintian,
# and the unpacked programs themselves (--version without a display, the window's settings in the user's
# folder when the program's folder is read-only). Prints the package's path and size.
# Usage: scripts/package.sh   (as root or with sudo for the packages it needs)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(help2man dpkg-dev file fakeroot lintian desktop-file-utils appstream)
scripts/install-packages.sh "${packages[@]}"

# The build finds help2man only when it is configured after it was installed.
scripts/setup.sh default
build=build/default
(cd "$build" && cpack -G DEB --config CPackConfig.cmake >/dev/null)
deb=$(ls -t "$build"/skimplane_*.deb | head -n 1)
echo "Package: $deb ($(du -k "$deb" | cut -f1) KiB; installed size $(dpkg-deb -f "$deb" Installed-Size) KiB)"
scripts/check-package.sh "$deb"
