#!/usr/bin/env bash
# Draws the README's example of each machining option with the command-line tool: one SVG preview per
# option, on the same 60 x 40 mm face with a 10 mm cutter, so that the pictures differ by the option alone.
# Usage: scripts/option-pictures.sh [skimplane-cli] [folder]   (default: build/default/bin/skimplane-cli, docs/images)
set -euo pipefail
cd "$(dirname "$0")/.."
cli="${1:-build/default/bin/skimplane-cli}"
out="${2:-docs/images}"
mkdir -p "$out"
face=(--x 60 --y 40 --diameter 10 --strategy x --layers 2 --step-down 0.5)
while IFS='|' read -r name options; do
  # shellcheck disable=SC2086  # the options are words on purpose
  "$cli" "${face[@]}" $options -o /dev/null --preview "$out/option-$name.svg"
done <<'LIST'
none|
overcut|--overcut 3
ramp|--entry ramp --ramp-angle 5
climb|--direction climb
finish|--finish-depth 0.2 --finish-feed 300
stepover|--stepover 40
LIST
