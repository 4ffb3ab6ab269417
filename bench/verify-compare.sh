#!/usr/bin/env bash
# The check after a recording beside plain reading: a session of about 4 GB burnt with --verify
# onto a DVD+R in an unthrottled virtual recorder, the verify's own time (from its heading to
# the end of the command) set beside cat of the same disc exported to an image file, both from
# a warm page cache.
#
#   bench/verify-compare.sh [BUILD_DIR]
#
# The tree (made once in $BENCH_DIR, default /tmp/kivo-bench-verify, and kept): 4 files of
# 1000 MiB of random bytes. SCALE=N divides the sizes by N (SCALE=10 for a quick look). RUNS=N
# times each N times and keeps the fastest (default 3); every run is listed.
set -euo pipefail

source "$(dirname "$0")/cli-bench.sh"
bench=${BENCH_DIR:-/tmp/kivo-bench-verify}

src=$bench/tree-$scale
if [ ! -f "$src.done" ]; then
  rm -rf "$src"
  mkdir -p "$src"
  for i in 1 2 3 4; do head -c $((1000 * 1024 * 1024 / scale)) /dev/urandom >"$src/part$i.bin"; done
  touch "$src.done"
fi
cat "$src"/*.bin >/dev/null  # warm the cache

# Seconds from the verify's heading to the end of burn --verify; the command must succeed.
verify_seconds() {
  KIVO_VIRTUAL_RECORDER="$bench/recorder" python3 - "$cli" "$src" <<'PY'
import subprocess, sys, time
process = subprocess.Popen([sys.argv[1], "burn", "--verify", sys.argv[2]], stdout=subprocess.PIPE, text=True)
start = None
for line in process.stdout:
    if start is None and line.startswith("verifying the session"):
        start = time.monotonic()
    last = line
if process.wait() != 0 or start is None:
    sys.exit(f"burn --verify failed: {last}")
print(f"{time.monotonic() - start:.3f}")
PY
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; scale $scale; fastest of $runs runs" >&2
best_verify="" best_cat="" bytes=0
for ((r = 1; r <= runs; r++)); do
  rm -rf "$bench/recorder" "$bench/disc.iso"
  mkdir -p "$bench/recorder"
  "$vrctl" "$bench/recorder" insert dvd+r >/dev/null
  "$vrctl" "$bench/recorder" timescale 0 >/dev/null
  v=$(verify_seconds)
  "$vrctl" "$bench/recorder" export "$bench/disc.iso" >/dev/null
  bytes=$(stat -c %s "$bench/disc.iso")
  cat "$bench/disc.iso" >/dev/null  # warm
  start=$(date +%s.%N)
  cat "$bench/disc.iso" >/dev/null
  c=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.3f", e - s }')
  echo "  run $r: verify $v s, cat $c s" >&2
  if [ -z "$best_verify" ] || awk -v a="$v" -v b="$best_verify" 'BEGIN { exit !(a < b) }'; then best_verify=$v; fi
  if [ -z "$best_cat" ] || awk -v a="$c" -v b="$best_cat" 'BEGIN { exit !(a < b) }'; then best_cat=$c; fi
done
rm -rf "$bench/recorder" "$bench/disc.iso"
printf '%-8s %9s %9s %8s\n' command seconds "MB/s" "x cat"
for name in cat verify; do
  seconds=$([ "$name" = cat ] && echo "$best_cat" || echo "$best_verify")
  awk -v name="$name" -v s="$seconds" -v bytes="$bytes" -v base="$best_cat" \
    'BEGIN { printf "%-8s %9.2f %9.0f %8.2f\n", name, s, bytes / s / 1e6, base / s }'
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
