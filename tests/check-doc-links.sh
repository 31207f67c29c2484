#!/usr/bin/env bash
# Every relative link of the project's documents leads to a file that exists.
set -euo pipefail
root="$1"
status=0
for doc in "$root"/README.md "$root"/CHANGELOG.md "$root"/docs/*.md; do
  dir=$(dirname "$doc")
  while IFS= read -r target; do
    path="${target%%#*}"
    [ -z "$path" ] && continue
    case "$path" in http://* | https://* | mailto:*) continue ;; esac
    if [ ! -e "$dir/$path" ]; then
      echo "FAIL: ${doc#"$root"/} links to $target, which does not exist"
      status=1
    fi
  done < <(grep -oE '\]\([^)]+\)' "$doc" | sed -E 's/^\]\(//; s/\)$//')
done
exit $status
