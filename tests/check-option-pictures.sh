#!/usr/bin/env bash
# The README's pictures of the machining options are what the command-line tool draws today: redraws them
# into a scratch folder and compares. After a change of the drawing, run scripts/option-pictures.sh.
set -euo pipefail
root="$1" cli="$2"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$root/scripts/option-pictures.sh" "$cli" "$scratch"
status=0
for drawn in "$scratch"/option-*.svg; do
  kept="$root/docs/images/$(basename "$drawn")"
  if ! cmp -s "$drawn" "$kept"; then
    echo "FAIL: docs/images/$(basename "$drawn") is not what skimplane-cli draws now; run scripts/option-pictures.sh"
    status=1
  fi
done
exit $status
