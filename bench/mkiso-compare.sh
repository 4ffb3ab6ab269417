#!/usr/bin/env bash
# Image making side by side: kivoardel-cli mkiso, genisoimage -J and xorriso -as mkisofs -J on
# the same trees, with wall time and peak memory of each, beside two floors: reading the same data
# with tar, and the copy floor (kivo_copy_floor: every file read and written into one output
# file, nothing else). Warm cache: every tree is read once before anything is timed.
#
#   bench/mkiso-compare.sh [BUILD_DIR]
#
# Trees (made once in $BENCH_DIR, default /tmp/kivo-bench-mkiso, and kept for later runs):
#   large   4 files of 300 MB
#   spread  200000 small files in 2000 directories
#   flat    100000 small files in one directory
#   many    600000 small files in 600 directories
# TREES="large spread" picks some of them (default: all four, in that order).
# SCALE=N divides every count and size by N (SCALE=10 for a quick look). RUNS=N times each
# command N times and keeps the fastest (default 2). COLD=1 empties the page cache before every
# run instead of warming it once (root only): every file comes from the disk, as on the first
# burn of files nobody has read lately.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cli=$build/bin/kivoardel-cli
floor=$build/bin/kivo_copy_floor
trees=${TREES:-large spread flat many}
scale=${SCALE:-1}
runs=${RUNS:-2}
cold=${COLD:-0}
bench=${BENCH_DIR:-/tmp/kivo-bench-mkiso}
for tool in "$cli" "$floor"; do
  [ -x "$tool" ] || { echo "no $tool: build kivoardel-cli and kivo_copy_floor first" >&2; exit 1; }
done
for tool in genisoimage xorriso tar /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

# Small files of 1 to 8 KiB, each with its own bytes.
make_small_files() {  # dir, count
  python3 - "$1" "$2" <<'PY'
import os, sys
d, n = sys.argv[1], int(sys.argv[2])
os.makedirs(d, exist_ok=True)
for i in range(n):
    with open(os.path.join(d, f"file_{i:07}.dat"), "wb") as f:
        f.write((f"{d}/{i}\n" * 400)[: 1024 * (1 + i % 8)].encode())
PY
}

make_tree() {  # name
  local dir=$bench/$1-$scale
  [ -f "$dir.done" ] && return
  rm -rf "$dir"
  mkdir -p "$dir"
  case $1 in
    large)
      for i in 1 2 3 4; do head -c $((300 * 1024 * 1024 / scale)) /dev/urandom >"$dir/big$i.bin"; done ;;
    spread)
      local dirs=$((2000 / scale)) per=100
      for ((d = 0; d < dirs; d++)); do make_small_files "$dir/d$((d / 100))/d$d" $per; done ;;
    flat)
      make_small_files "$dir/all" $((100000 / scale)) ;;
    many)
      for ((d = 0; d < 600; d++)); do make_small_files "$dir/d$d" $((1000 / scale)); done ;;
  esac
  touch "$dir.done"
}

# Fastest of $runs: "seconds peak-KiB".
measure() {
  local best="" line
  for ((r = 0; r < runs; r++)); do
    rm -f "$bench/out.iso"
    if [ "$cold" = 1 ]; then sync; echo 3 >/proc/sys/vm/drop_caches; fi
    line=$(/usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -n 1)
    if [ -z "$best" ] || awk -v a="${line%% *}" -v b="${best%% *}" 'BEGIN { exit !(a < b) }'; then best=$line; fi
  done
  rm -f "$bench/out.iso"
  echo "$best"
}

printf '%-8s %-32s %10s %12s %8s\n' tree command seconds "peak MiB" "x mkiso"
for tree in $trees; do
  make_tree "$tree"
  src=$bench/$tree-$scale
  [ "$cold" = 1 ] || tar cf - -C "$src" . | cat >/dev/null  # warm the cache
  declare -A result=()
  result[mkiso]=$(measure "$cli" mkiso -o "$bench/out.iso" "$src")
  result[genisoimage]=$(measure genisoimage -quiet -J -o "$bench/out.iso" "$src")
  result[xorriso]=$(measure xorriso -as mkisofs -quiet -J -o "$bench/out.iso" "$src")
  # GNU tar does not read file data when its archive is /dev/null, so the pipe to cat is the
  # reading floor; the plain form is shown as well.
  result["copy floor"]=$(measure "$floor" "$src" "$bench/out.iso")
  result["tar | cat"]=$(measure sh -c "tar cf - -C '$src' . | cat >/dev/null")
  result["tar >/dev/null"]=$(measure sh -c "tar cf - -C '$src' . >/dev/null")
  base=${result[mkiso]%% *}
  for name in mkiso genisoimage xorriso "copy floor" "tar | cat" "tar >/dev/null"; do
    set -- ${result[$name]}
    awk -v tree="$tree" -v name="$name" -v s="$1" -v kib="$2" -v base="$base" \
      'BEGIN { printf "%-8s %-32s %10s %12.1f %8.2f\n", tree, name, s, kib / 1024, (base > 0 ? s / base : 1) }'
  done
  unset result
done
