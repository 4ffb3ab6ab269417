#!/usr/bin/env bash
# The recording pipeline without a drive to wait for: MB/s of the read-ahead cache and the
# writer, beside plain reading of the same files, and the CPU time of the cache thread.
#
#   bench/burn-compare.sh [BUILD_DIR]
#
# For each tree, from a warm page cache (every tree is read once before anything is timed):
#   cat           cat of every file to /dev/null (large files), or tar | cat (small files):
#                 the floor any reader of these files stands on
#   mkiso         kivoardel-cli mkiso --streamed into a file in memory (/dev/shm; the save flushes
#                 and checks its file, which /dev/null refuses): cache thread + writer thread in
#                 file mode
#   burn          kivoardel-cli burn onto a blank DVD+R in a virtual recorder at time scale 0
#                 (unthrottled): the same pipeline plus the drive commands, and the recorder
#                 storing every sector in its disc file
#   burn net      the burn's time less that of burning a 1-byte file: the recording's fixed
#                 waits (the polls for the drive's readiness after closing, with their fixed
#                 sleeps, take seconds at any time scale) taken out, leaving the data's share
# MB/s counts the source files' bytes (10^6 bytes a MB), the same figure for every row.
# "cache CPU" is the CPU time of the thread that read the files (found by its read bytes, see
# thread-cpu.py), as a share of the wall time and of the whole process's CPU time.
#
# Trees (made once in $BENCH_DIR, default /tmp/kivo-bench-burn, and kept for later runs):
#   large   4 files of 512 MiB of random bytes
#   small   100000 files of 1 to 8 KiB in 1000 directories
# SCALE=N divides every count and size by N (SCALE=10 for a quick look). RUNS=N runs each
# command N times and keeps the fastest (default 3); every run is listed.
set -euo pipefail

source "$(dirname "$0")/cli-bench.sh"
bench=${BENCH_DIR:-/tmp/kivo-bench-burn}
timer=$root/bench/thread-cpu.py
for tool in python3 tar; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

make_tree() {  # name
  local dir=$bench/$1-$scale
  [ -f "$dir.done" ] && return
  rm -rf "$dir"
  mkdir -p "$dir"
  case $1 in
    large)
      for i in 1 2 3 4; do head -c $((512 * 1024 * 1024 / scale)) /dev/urandom >"$dir/big$i.bin"; done ;;
    small)
      python3 - "$dir" $((100000 / scale)) <<'PY'
import os, sys
root, n = sys.argv[1], int(sys.argv[2])
for i in range(n):
    d = os.path.join(root, f"d{i // 1000:03}", f"d{i // 100:04}")
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, f"file_{i:07}.dat"), "wb") as f:
        f.write(os.urandom(1024 * (1 + i % 8)))
PY
      ;;
  esac
  touch "$dir.done"
}

# A fresh recorder folder with a blank DVD+R, unthrottled.
fresh_recorder() {
  rm -rf "$bench/recorder"
  mkdir -p "$bench/recorder"
  "$vrctl" "$bench/recorder" insert dvd+r >/dev/null
  "$vrctl" "$bench/recorder" timescale 0 >/dev/null
}

# One line per run: "wall cpu reader_cpu reader_bytes threads"; the fastest run last.
measure() {  # label, command...
  local label=$1 best="" line
  shift
  for ((r = 1; r <= runs; r++)); do
    [ "$label" = burn ] && fresh_recorder
    line=$("$timer" "$@")
    echo "  run $r: $label $line" >&2
    if [ -z "$best" ] || awk -v a="${line%% *}" -v b="${best%% *}" 'BEGIN { exit !(a < b) }'; then best=$line; fi
  done
  echo "$best"
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; scale $scale; fastest of $runs runs" >&2
mkdir -p "$bench/tiny"
printf x >"$bench/tiny/one.txt"
fixed=$(measure burn env KIVO_VIRTUAL_RECORDER="$bench/recorder" "$cli" burn "$bench/tiny")
fixed=${fixed%% *}
echo "fixed cost of a burn (1-byte file): $fixed s" >&2
printf '%-6s %-8s %9s %9s %8s %16s %14s\n' tree command seconds "MB/s" "x cat" "cache CPU/wall" "cache CPU/CPU"
for tree in large small; do
  make_tree "$tree"
  src=$bench/$tree-$scale
  bytes=$(du -sb --apparent-size "$src" | cut -f1)
  tar cf - -C "$src" . | cat >/dev/null  # warm the cache
  declare -A result=()
  if [ "$tree" = large ]; then
    result[cat]=$(measure cat sh -c "cat '$src'/*.bin >/dev/null")
  else
    # GNU tar does not read file data when its archive is /dev/null: the pipe to cat makes it.
    result[cat]=$(measure cat sh -c "tar cf - -C '$src' . | cat >/dev/null")
  fi
  result[mkiso]=$(measure mkiso "$cli" mkiso --streamed -o /dev/shm/kivo-bench.iso "$src")
  rm -f /dev/shm/kivo-bench.iso
  result[burn]=$(measure burn env KIVO_VIRTUAL_RECORDER="$bench/recorder" "$cli" burn "$src")
  rm -rf "$bench/recorder"
  base=${result[cat]%% *}
  result["burn net"]=$(awk -v line="${result[burn]}" -v fixed="$fixed" 'BEGIN {
    split(line, f, " "); printf "%.3f %s %s", f[1] - fixed, f[2], f[3] }')
  for name in cat mkiso burn "burn net"; do
    set -- ${result[$name]}
    awk -v tree="$tree" -v name="$name" -v wall="$1" -v cpu="$2" -v reader="$3" -v bytes="$bytes" -v base="$base" \
      -v pipeline=$([ "$name" = cat ] && echo 0 || echo 1) 'BEGIN {
        if (name == "burn net") pipeline = 0  # no CPU shares of its own
        share_wall = pipeline ? sprintf("%.0f%%", 100 * reader / wall) : "-"
        share_cpu = pipeline && cpu > 0 ? sprintf("%.0f%%", 100 * reader / cpu) : "-"
        printf "%-6s %-8s %9.2f %9.0f %8.2f %16s %14s\n", tree, name, wall, bytes / wall / 1e6, base / wall, share_wall, share_cpu
      }'
  done
  unset result
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
