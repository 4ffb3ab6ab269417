#!/usr/bin/env bash
# Makes docs/main-window.png, the README's picture of the main window in the middle of a burn,
# with the real window under Xvfb and a virtual recorder that writes at a real drive's speed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIVO_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build/release" --target kivoardel-readme-shot wnaspi32
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$root/docs"
QT_FONT_DPI=96 xvfb-run -a -s "-screen 0 1280x800x24" \
  "$root/build/release/bin/kivoardel-readme-shot" "$work" "$root/build/release/bin/libwnaspi32.so" \
  "$root/docs/main-window.png"
echo "docs/main-window.png"
