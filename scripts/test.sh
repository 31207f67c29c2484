#!/usr/bin/env bash
# Builds everything and runs the whole test suite, checks the Debian package and the Windows build under
# Wine; then the same suite under AddressSanitizer and UndefinedBehaviorSanitizer (skip that second run
# with SKIMPLANE_QUICK=1).
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

scripts/setup.sh default
ctest --preset default -j"$(nproc)"
# The same core as WebAssembly: its module under Node against skimplane-cli, its page in headless Chromium.
scripts/web.sh test
# The Debian package: built, unpacked and checked.
scripts/package.sh
# The Windows build: cross-compiled, its tests under Wine, its programs equal to the Linux tool's.
scripts/windows.sh

if [ "${SKIMPLANE_QUICK:-0}" != 1 ]; then
  scripts/setup.sh sanitize
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  ctest --preset sanitize -j"$(nproc)"
fi
echo "All tests passed."
