#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet (apt-get update first).
# Usage: scripts/install-packages.sh PACKAGE...   (as root or with sudo)
set -euo pipefail
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
# Another install running at the same time (a second build tree) is waited for, not failed on.
lock=(-o DPkg::Lock::Timeout=900)
$SUDO apt-get "${lock[@]}" update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get "${lock[@]}" install -y "${missing[@]}"
