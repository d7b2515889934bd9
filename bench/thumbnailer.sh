#!/usr/bin/env bash
# Whole-process thumbnail times: vantri-thumbnailer against gwyddion-thumbnailer on the same scans,
# as a file manager runs them (one process per file, PNG written), and vantri-thumbnailer's time over
# thumbnail sizes on two scan sizes.
#
#   bench/thumbnailer.sh [BUILD_DIR]      (default build; RUNS and ROUNDS change the repetitions)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-20}
rounds=${ROUNDS:-3}
ours=$build/src/thumbnails/vantri-thumbnailer
gwyddion=${GWYDDION_THUMBNAILER:-gwyddion-thumbnailer}

generator() {
  for dir in tests/data bench_testdata fuzz_testdata; do
    if [ -x "$build/$dir/$1" ]; then
      echo "$build/$dir/$1"
      return
    fi
  done
  echo "no $1 in $build (build the target $1)" >&2
  exit 1
}
[ -x "$ours" ] || { echo "no $ours (build the target vantri-thumbnailer)" >&2; exit 1; }
command -v "$gwyddion" >/dev/null || { echo "no $gwyddion (Debian package gwyddion)" >&2; exit 1; }
make_nanoscope=$(generator make_nanoscope)
make_scan=$(generator make_scan)

work=$(mktemp -d "${TMPDIR:-/tmp}/vantri-thumbnailer-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# NANOTOP-205 scans hold at most 1024 x 1024 samples for the extractor, so that format has one size.
"$make_nanoscope" "$work/scan1024.000" --size 1024 >/dev/null
"$make_nanoscope" "$work/scan4096.000" --size 4096 >/dev/null
"$make_scan" mdt "$work/scan1024.mdt" --size 1024 >/dev/null
"$make_scan" mdt "$work/scan4096.mdt" --size 4096 >/dev/null
"$make_scan" spm "$work/scan1024.spm" --size 1024 >/dev/null
files=(scan1024.000 scan4096.000 scan1024.mdt scan4096.mdt scan1024.spm)

# Mean wall time of one run in microseconds, over $runs runs of the command ([--may-fail] COMMAND...).
mean_us() {
  local start end must=1
  if [ "$1" = --may-fail ]; then
    must=0
    shift
  fi
  start=$(date +%s%N)
  for ((k = 0; k < runs; k++)); do
    "$@" >/dev/null 2>&1 || [ $must = 0 ] || { echo "failed: $*" >&2; exit 1; }
  done
  end=$(date +%s%N)
  echo $(((end - start) / runs / 1000))
}

# Each side must draw every file before anything is timed (this also warms the page cache).
for file in "${files[@]}"; do
  rm -f "$work/out.png"
  "$ours" -s 128 "$work/$file" "$work/out.png" && [ -s "$work/out.png" ] ||
    { echo "vantri-thumbnailer drew nothing for $file" >&2; exit 1; }
  rm -f "$work/out.png"
  "$gwyddion" gnome2 128 "$work/$file" "$work/out.png" && [ -s "$work/out.png" ] ||
    { echo "$gwyddion drew nothing for $file" >&2; exit 1; }
done

declare -A ours_sum gwy_sum size_sum
sizes=(32 128 512)
for ((round = 0; round < rounds; round++)); do
  for file in "${files[@]}"; do
    ours_sum[$file]=$((${ours_sum[$file]:-0} + $(mean_us "$ours" -s 128 "$work/$file" "$work/ours.png")))
    gwy_sum[$file]=$((${gwy_sum[$file]:-0} + $(mean_us "$gwyddion" gnome2 128 "$work/$file" "$work/gwy.png")))
  done
  for file in scan1024.000 scan4096.000; do
    for size in "${sizes[@]}"; do
      key=$file/$size
      size_sum[$key]=$((${size_sum[$key]:-0} + $(mean_us "$ours" -s "$size" "$work/$file" "$work/ours.png")))
    done
  done
  # A process that starts, finds no file and stops: what every run pays before any drawing.
  size_sum[start]=$((${size_sum[start]:-0} + $(mean_us --may-fail "$ours" -s 128 "$work/none.000" "$work/x.png")))
done

ms() { awk -v us="$1" -v n="$rounds" 'BEGIN { printf "%.2f", us / n / 1000 }'; }
echo "whole process, -s 128 / gnome2 128, mean of $((runs * rounds)) runs each"
printf '%-14s %12s %12s %8s\n' file vantri_ms gwyddion_ms ratio
worst=0
for file in "${files[@]}"; do
  ratio=$(awk -v a="${ours_sum[$file]}" -v b="${gwy_sum[$file]}" 'BEGIN { printf "%.3f", a / b }')
  printf '%-14s %12s %12s %8s\n' "$file" "$(ms "${ours_sum[$file]}")" "$(ms "${gwy_sum[$file]}")" "$ratio"
  worst=$(awk -v a="$ratio" -v b="$worst" 'BEGIN { print (a > b) ? a : b }')
done
echo "largest ratio vantri/gwyddion: $worst (goal <= 0.25: $(awk -v a="$worst" 'BEGIN { print (a <= 0.25) ? "met" : "not met" }'))"
echo
echo "vantri-thumbnailer over thumbnail sizes (ms per run; the process start alone: $(ms "${size_sum[start]}") ms)"
printf '%-14s' file
for size in "${sizes[@]}"; do printf ' %10s' "-s $size"; done
echo
for file in scan1024.000 scan4096.000; do
  printf '%-14s' "$file"
  for size in "${sizes[@]}"; do printf ' %10s' "$(ms "${size_sum[$file/$size]}")"; done
  echo
done
