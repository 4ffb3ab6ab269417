#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer builds, and runs every test.
#   normal build:                          every test
#   AddressSanitizer + UndefinedBehavior:  every test but those labelled "large" (gigabytes of I/O)
#   ThreadSanitizer:                       the tests labelled "threaded" (and only they are built)
#   Windows (cross-built, run under Wine):  scripts/test-windows.sh
# Ends with one line per phase (wall time, test counts) and the total of all test runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
jobs=$(nproc)
logs="$root/build/logs"
mkdir -p "$logs"

summary=()
passed_total=0
failed_total=0
status=0

seconds_since() { echo $(( $(date +%s) - $1 )); }

# Every build keeps line tables only: a report needs file and line, and full debug information
# is a third of the compile time. Targets that allow it are compiled in batches of sources.
build_flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVO_WERROR=ON -DKIVO_UNITY_BUILD=ON
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")

build() {  # name, extra cmake arguments...
  local name=$1; shift
  local dir="$root/build/$name" start
  start=$(date +%s)
  if cmake -S "$root" -B "$dir" -G Ninja "${build_flags[@]}" "$@" >/dev/null &&
     cmake --build "$dir" -j "$jobs"; then
    summary+=("$(printf '%-6s build: %5d s' "$name" "$(seconds_since "$start")")")
    return 0
  fi
  summary+=("$(printf '%-6s build: %5d s, FAILED' "$name" "$(seconds_since "$start")")")
  status=1
  return 1
}

run_tests() {  # name, extra ctest arguments...
  local name=$1; shift
  local log="$logs/$name-tests.log" start total failed
  start=$(date +%s)
  (cd "$root/build/$name" && ctest --output-on-failure -j "$jobs" "$@") 2>&1 | tee "$log" || status=1
  # ctest's own summary: "100% tests passed, 0 tests failed out of 341"
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
  failed=$(sed -n 's/.* \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -1)
  total=${total:-0}
  failed=${failed:-0}
  [ "$total" -gt 0 ] || status=1
  passed_total=$((passed_total + total - failed))
  failed_total=$((failed_total + failed))
  summary+=("$(printf '%-6s tests: %5d s, %d passed, %d failed' "$name" "$(seconds_since "$start")" \
    $((total - failed)) "$failed")")
}

suite_start=$(date +%s)

if build test; then
  run_tests test
fi

# -O1, as the address sanitizer's makers advise: its checks lose nothing, and the build, the
# longest of the run, is a sixth shorter.
if build asan -DKIVO_SANITIZE=address -DKIVO_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"; then
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_tests asan -LE large
fi

if build tsan -DKIVO_SANITIZE=thread -DKIVO_BUILD_BENCH=OFF -DKIVO_TESTS=threaded; then
  TSAN_OPTIONS="halt_on_error=1 suppressions=$root/tests/app/tsan-qt.supp" run_tests tsan -L threaded
fi

# The Windows programs, cross-built and tried under Wine; their mkiso is set beside the normal
# build's.
start=$(date +%s)
if "$root/scripts/test-windows.sh" 2>&1 | tee "$logs/windows.log"; then
  outcome=""
else
  outcome=", FAILED"
  status=1
fi
windows_passed=$(sed -n 's/^unit tests .* \([0-9]*\) passed$/\1/p' "$logs/windows.log" | tail -1)
passed_total=$((passed_total + ${windows_passed:-0}))
summary+=("$(printf '%-6s build and Wine: %5d s, %d unit tests passed%s' windows "$(seconds_since "$start")" \
  "${windows_passed:-0}" "$outcome")")

echo
echo "Phases:"
printf '  %s\n' "${summary[@]}"
printf '  all phases: %d s\n' "$(seconds_since "$suite_start")"
echo "total: $passed_total passed, $failed_total failed"
exit $status
