#!/usr/bin/env bash
# The complete run beside its CGAL yardstick: zelmaro-cli run (read, both
# horizons, volumes, protocol written) and cgal_complete_run (read, both
# Delaunay triangulations, prism sums) on the same point files, interleaved,
# with the median wall time and the peak memory of each.
#
#     bench/complete_run.sh [ROUNDS] [SET...]
#
# SET is KIND:N with KIND uniform, grid or line (default: uniform and grid
# at 100000 and 400000). The files are made once in $ZELMARO_BENCH_DIR
# (default: the system's temporary folder). Needs a build in build/ (or
# $ZELMARO_BUILD_DIR) and /usr/bin/time; without CGAL only our figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZELMARO_BUILD_DIR:-$root/build}
data=${ZELMARO_BENCH_DIR:-${TMPDIR:-/tmp}/zelmaro-bench}
rounds=${1:-7}
shift || true
sets=("$@")
[ ${#sets[@]} -gt 0 ] || sets=(uniform:100000 grid:100000 uniform:400000 grid:400000)
cli=$build/zelmaro-cli
cgal=$build/bench/cgal_complete_run
mkdir -p "$data"

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# Seconds and peak kilobytes of one call, as "s kb".
measure() { /usr/bin/time -f "%e %M" -o "$data/time.txt" "$@" >/dev/null 2>&1; cat "$data/time.txt"; }

printf "%-16s %10s %10s %8s %10s %10s\n" set "ours s" "cgal s" ratio "ours MB" "cgal MB"
for s in "${sets[@]}"; do
  kind=${s%%:*} n=${s##*:}
  file=$data/$kind$n.asc
  [ -f "$file" ] || /usr/bin/python3 "$root/bench/make_survey.py" "$kind" "$n" "$file"
  : >"$data/ours.txt"
  : >"$data/cgal.txt"
  for ((r = 0; r < rounds; ++r)); do
    measure "$cli" run "$file" >>"$data/ours.txt"
    [ -x "$cgal" ] && measure "$cgal" "$file" >>"$data/cgal.txt"
  done
  ours_s=$(cut -d' ' -f1 "$data/ours.txt" | median)
  ours_mb=$(cut -d' ' -f2 "$data/ours.txt" | median | awk '{printf "%.0f", $1 / 1024}')
  if [ -s "$data/cgal.txt" ]; then
    cgal_s=$(cut -d' ' -f1 "$data/cgal.txt" | median)
    cgal_mb=$(cut -d' ' -f2 "$data/cgal.txt" | median | awk '{printf "%.0f", $1 / 1024}')
    ratio=$(awk -v a="$ours_s" -v b="$cgal_s" 'BEGIN {printf "%.2f", a / b}')
  else
    cgal_s=- cgal_mb=- ratio=-
  fi
  printf "%-16s %10s %10s %8s %10s %10s\n" "$s" "$ours_s" "$cgal_s" "$ratio" "$ours_mb" "$cgal_mb"
done
