#!/usr/bin/env bash
# The job's fields are described once, in src/toolpath/JobFields.h: the settings file, the command-line
# tool and the web binding loop over that table and name no field of the job themselves, and the page
# learns the fields (defaults, steps, choices) and a refusal's entries from the generator, never from
# copies or from the words of a message.
set -euo pipefail
root="$1"
fields='XPos|YPos|Knit|Cross|ZPos|ZUp|ZUpAbs|Layer|Speed|Fro|Mode|ClearEnd|FinishCentre|Dialect|Coolant|Dwell|Direction|FinishDepth|FinishFeed|Overcut|Entry|RampAngle'
status=0
if grep -rnE "\.($fields)\b|TJobEntries::($fields)\b" "$root/src/settings" "$root/src/cli" "$root/src/web"; then
  echo "FAIL: a field of the job named outside the job's table (above)"; status=1
fi
if grep -nE "/\^The |stepDown: \[|x: '150'|strategy: 'spiral'|coolant: ''|coolant: 'mist' }" "$root/web/app.js" "$root/web/skimplane-api.js"; then
  echo "FAIL: the page keeps a copy of the job's table or reads a refusal's words (above)"; status=1
fi
exit $status
