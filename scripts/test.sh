#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer builds, and runs every test.
#   normal build:                          every test
#   AddressSanitizer + UndefinedBehavior:  every test
#   ThreadSanitizer:                       the tests labelled "threaded"
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
jobs=$(nproc)

build() {  # name, extra cmake arguments...
  local dir="$root/build/$1"; shift
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVO_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

status=0
build test
(cd "$root/build/test" && ctest --output-on-failure -j "$jobs") || status=1

build asan -DKIVO_SANITIZE=address -DKIVO_BUILD_BENCH=OFF
(cd "$root/build/asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs") || status=1

build tsan -DKIVO_SANITIZE=thread -DKIVO_BUILD_BENCH=OFF
(cd "$root/build/tsan" && TSAN_OPTIONS=halt_on_error=1 \
  ctest --output-on-failure -j "$jobs" -L threaded --no-tests=ignore) || status=1

exit $status
