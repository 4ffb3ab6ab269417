#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program: with no arguments the window (with the
# virtual recorder when no drive can be opened), with arguments kivoardel-cli with them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "kivoardel needs a display: run ./scripts/run.sh on a desktop (or under xvfb-run), or give the command-line front end's arguments, such as ./scripts/run.sh devices" >&2
  exit 1
fi
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKIVO_BUILD_TESTS=OFF -DKIVO_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build/release"
if [ $# -eq 0 ]; then
  exec "$root/build/release/bin/kivoardel"
fi
exec "$root/build/release/bin/kivoardel-cli" "$@"
