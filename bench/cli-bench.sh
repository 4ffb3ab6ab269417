# Sourced by the command-line benchmarks beside it: the build's tools, checked, and the common
# settings. The sourcing script passes its own arguments; $1 is the build folder.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
cli=$build/bin/kivoardel-cli
vrctl=$build/bin/kivo-vrctl
scale=${SCALE:-1}
runs=${RUNS:-3}
for tool in "$cli" "$vrctl"; do
  [ -x "$tool" ] || { echo "no $tool: build kivoardel-cli, kivo-vrctl and wnaspi32 first" >&2; exit 1; }
done
