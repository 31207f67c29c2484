#!/usr/bin/env bash
# Unpacks LinuxCNC's standalone G-code interpreter rs274 (Debian's linuxcnc-uspace) into <dir>/root
# without installing it, for the test that runs every dialect's programs through it. Does nothing when
# it is there already; a failed download only warns (that test then skips).
# Usage: scripts/fetch-rs274.sh <dir>
set -uo pipefail
dir="$1"
[ -x "$dir/root/usr/bin/rs274" ] && exit 0
mkdir -p "$dir" && cd "$dir" || exit 0
rm -f ./*.deb
if ! apt-get download linuxcnc-uspace libboost-python1.74.0 >/dev/null 2>&1; then
  echo "warning: could not download linuxcnc-uspace; the rs274 test will be skipped" >&2
  exit 0
fi
for deb in ./*.deb; do dpkg -x "$deb" root; done
rm -f ./*.deb
