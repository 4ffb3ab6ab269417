#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job with the given arguments.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKIVO_BUILD_TESTS=OFF -DKIVO_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build/release"
exec "$root/build/release/bin/kivoardel-cli" "$@"
