#!/usr/bin/env bash
# The Windows build: cross-compiles the pure C++ libraries, skimplane-cli.exe and their unit tests with
# Debian's mingw-w64, runs the tests under Wine, then writes the programs of ordinary jobs with the .exe
# under Wine and with the Linux skimplane-cli and compares them byte for byte (all but the header's path
# line, the third). Installs the Debian packages it needs when missing.
# Usage: scripts/windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build=build/windows
# A throwaway Wine prefix inside the build folder: never the user's own ~/.wine.
export WINEPREFIX="$root/$build/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and Wine would otherwise offer to fetch them.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
# Wine hands the arguments to the program in the locale's character set: UTF-8.
export LC_ALL=C.UTF-8

# Installs what is missing (mingw-w64, Wine, ...), configures and builds.
scripts/setup.sh windows

# One Wine server for the whole run, so every test program does not start its own; stopped at the end
# (only the one of this prefix).
wineboot --init >/dev/null 2>&1 || true
wineserver -p 2>/dev/null || true  # (one may be running for this prefix already)
trap 'wineserver -k 2>/dev/null || true' EXIT

log="$build/wine-tests.log"
status=0
ctest --preset windows -j"$(nproc)" -V >"$log" 2>&1 || status=$?
grep -E "^ *[0-9]+/[0-9]+ Test +#" "$log" || true
if [ "$status" -ne 0 ]; then
  grep -E "Failure|FAILED" "$log" | head -40
  echo "Windows unit tests failed under Wine (log: $log)" >&2
  exit 1
fi
passed=$(grep -oE "\[  PASSED  \] [0-9]+ test" "$log" | awk '{s += $4} END {print s + 0}')

# The Linux tool: the full build's when there is one, else a build of the command-line tool alone.
linux_cli=build/default/bin/skimplane-cli
if [ ! -x "$linux_cli" ]; then
  cmake -S . -B build/linux-cli -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKIMPLANE_GUI=OFF \
    -DSKIMPLANE_BENCH=OFF -DSKIMPLANE_GTEST_SOURCE=/usr/src/googletest >/dev/null
  cmake --build build/linux-cli -j"$(nproc)" --target skimplane-cli
  linux_cli=build/linux-cli/bin/skimplane-cli
fi
linux_cli="$root/$linux_cli"
windows_cli="$root/$build/bin/skimplane-cli.exe"

work="$build/compare"
rm -rf "$work"
mkdir -p "$work/linux" "$work/windows"
cp tests/data/ini-example1.ini "$work/linux/job.ini"
cp tests/data/ini-example1.ini "$work/windows/job.ini"

# name|options; the programs go to NAME.nc, the drawings to NAME.svg, --stats to NAME.txt.
time="2011-06-18 14:05"
jobs=(
  "worked-example|--x 20 --y 12 --layers 2"
  "worked-example-absolute|--x 20 --y 12 --layers 2 --absolute-retract"
  "worked-example-grbl|--x 20 --y 12 --layers 2 --dialect grbl"
  "default-job|"
  "zigzag-x|--strategy x --layers 3 --coolant flood --dwell 1.5"
  "zigzag-y-no-edge|--strategy y --no-edge-clean --diameter 8 --overlap 1"
  "centre-pass|--finish-centre --layers 2"
  "settings-file|--settings job.ini"
  "large|--x 600 --y 400 --diameter 0.5 --overlap 0.1 --layers 100 --strategy x"
)

failures=0
compared=0
fail() {
  echo "DIFFERENT: $*" >&2
  failures=$((failures + 1))
}
run_both() {  # name, then the arguments
  local name=$1
  shift
  local rc
  rc=0
  (cd "$work/linux" && "$linux_cli" "$@") >"$work/linux/$name.out" 2>"$work/linux/$name.err" || rc=$?
  echo "$rc" >"$work/linux/$name.rc"
  rc=0
  (cd "$work/windows" && wine "$windows_cli" "$@") >"$work/windows/$name.out" 2>"$work/windows/$name.err" || rc=$?
  echo "$rc" >"$work/windows/$name.rc"
  cmp -s "$work/linux/$name.rc" "$work/windows/$name.rc" ||
    fail "$name: exit code $(cat "$work/linux/$name.rc") on Linux, $(cat "$work/windows/$name.rc") on Windows"
}

# All but the third line (the path of the file as each system writes it).
without_path() { sed '3d' "$1"; }

for job in "${jobs[@]}"; do
  name=${job%%|*}
  read -r -a options <<<"${job#*|}"
  run_both "$name" "${options[@]}" --time "$time" -o "$name.nc" --preview "$name.svg"
  for side in linux windows; do
    [ -s "$work/$side/$name.nc" ] || fail "$name: no program from $side ($(cat "$work/$side/$name.err"))"
  done
  cmp -s <(without_path "$work/linux/$name.nc") <(without_path "$work/windows/$name.nc") ||
    fail "$name.nc"
  cmp -s "$work/linux/$name.svg" "$work/windows/$name.svg" || fail "$name.svg"
  compared=$((compared + 1))
done

# The worked examples against the golden files too (the golden path line is D:\nc\plate.nc).
for pair in worked-example:plate-2-layers-relative worked-example-absolute:plate-2-layers-absolute \
  worked-example-grbl:plate-2-layers-grbl; do
  cmp -s <(without_path "$work/windows/${pair%%:*}.nc") <(without_path "tests/data/${pair#*:}.nc") ||
    fail "${pair%%:*}.nc against tests/data/${pair#*:}.nc"
done

# A file name outside ASCII (and with brackets): the same name on disk, and in the header's path line the
# same GBK bytes after the last separator.
name="平面 ü (2)"
run_both utf8 --x 20 --y 12 --time "$time" -o "$name.nc" --preview "$name.svg"
for side in linux windows; do
  [ -s "$work/$side/$name.nc" ] && [ -s "$work/$side/$name.svg" ] || fail "$side: no file named $name"
done
cmp -s <(without_path "$work/linux/$name.nc") <(without_path "$work/windows/$name.nc") || fail "$name.nc"
file_name_shown() { sed -n 3p "$1" | sed 's/.*[\\/]//'; }
cmp -s <(file_name_shown "$work/linux/$name.nc") <(file_name_shown "$work/windows/$name.nc") ||
  fail "the header's path line of $name.nc"
compared=$((compared + 1))

# Standard output: binary on Windows, so CR LF stays CR LF and the path line is "-" on both.
run_both stdout --x 20 --y 12 --layers 2 --time "$time" -o -
[ -s "$work/windows/stdout.out" ] || fail "no program on standard output"
cmp -s "$work/linux/stdout.out" "$work/windows/stdout.out" || fail "program on standard output"
compared=$((compared + 1))

# The null device is written through, as /dev/null is on Linux: nothing is left in the folder.
before=$(ls -A "$work/windows" | wc -l)
(cd "$work/windows" && wine "$windows_cli" --x 20 --y 12 -o NUL) || fail "-o NUL"
[ "$(ls -A "$work/windows" | wc -l)" = "$before" ] || fail "-o NUL left a file behind"

# The figures (text lines end in CR LF on the Windows console).
run_both stats --x 20 --y 12 --layers 2 --stats --json
[ -s "$work/windows/stats.out" ] || fail "no figures"
cmp -s "$work/linux/stats.out" <(tr -d '\r' <"$work/windows/stats.out") || fail "--stats --json"
compared=$((compared + 1))

# A refused job and a file that cannot be written: the same messages and exit codes.
run_both refused --diameter 1 --overlap 2 -o refused.nc
[ -s "$work/windows/refused.err" ] || fail "no message for a refused job"
cmp -s "$work/linux/refused.err" <(tr -d '\r' <"$work/windows/refused.err") || fail "refused job message"
[ ! -e "$work/windows/refused.nc" ] || fail "a refused job left a file"
compared=$((compared + 1))

if [ "$failures" -ne 0 ]; then
  echo "Windows and Linux programs differ (outputs in $work)" >&2
  exit 1
fi
echo "Windows: $passed unit tests passed under Wine; $compared outputs equal to the Linux build's."
