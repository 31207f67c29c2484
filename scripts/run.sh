#!/usr/bin/env bash
# Builds Skimplane and starts it. With a display the window opens; without one the default job's
# program is written by the command-line tool instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh default
bin=build/default/bin
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$bin/skimplane" ]; then
  exec "$bin/skimplane"
fi
echo "No display found: writing the default job's program with the command-line tool to skimplane-default.nc"
"$bin/skimplane-cli" -o skimplane-default.nc
echo "Wrote $(pwd)/skimplane-default.nc"
