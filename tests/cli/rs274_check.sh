#!/usr/bin/env bash
# LinuxCNC's standalone interpreter reads the programs of both dialects, every strategy and option, to
# their end without an error. Skips (77) when rs274 has not been unpacked (scripts/fetch-rs274.sh).
# Usage: rs274_check.sh <skimplane-cli> <folder with root/usr/bin/rs274>
set -u
cli="$1"
root="$2/root"
rs274="$root/usr/bin/rs274"
if [ ! -x "$rs274" ]; then
  echo "rs274 not unpacked in $2: skipped"
  exit 77
fi
export LD_LIBRARY_PATH="$root/usr/lib:$root/usr/lib/x86_64-linux-gnu${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'T1 P1 D6 Z0 ;face mill\n' > "$work/tool.tbl"
failed=0
count=0
for dialect in iso grbl; do
  for strategy in spiral x y; do
    for options in "" "--layers 3 --absolute-retract" "--finish-centre --layers 2 --coolant flood --dwell 1.5" \
      "--no-edge-clean --coolant off --x 40 --y 25" "--direction climb --finish-depth 0.3 --finish-feed 60 --layers 2" \
      "--direction conventional --finish-depth 0.2 --finish-feed 80 --absolute-retract --x 40 --y 25" \
      "--overcut 2 --entry ramp --layers 3 --stepover 60" \
      "--direction climb --entry ramp --layers 2" "--direction conventional --entry ramp --layers 2" \
      "--overcut 7 --entry ramp --ramp-angle 15 --x 5 --y 9 --layers 2"; do
      name="$work/$dialect-$strategy-$count.ngc"
      # shellcheck disable=SC2086
      if ! "$cli" --dialect "$dialect" --strategy "$strategy" $options -o "$name"; then
        echo "FAIL: skimplane-cli refused --dialect $dialect --strategy $strategy $options"
        failed=1
        continue
      fi
      out=$(timeout 60 "$rs274" -t "$work/tool.tbl" -g "$name" 2>&1)
      rc=$?
      if [ $rc -ne 0 ] || ! grep -q "PROGRAM_END()" <<<"$out" || ! grep -q "STRAIGHT_FEED" <<<"$out"; then
        echo "FAIL (rc $rc): --dialect $dialect --strategy $strategy $options"
        tail -5 <<<"$out"
        failed=1
      fi
      count=$((count + 1))
    done
  done
done
echo "rs274 read $count programs"
exit $failed
