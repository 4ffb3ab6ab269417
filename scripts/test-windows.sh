#!/usr/bin/env bash
# Builds the Windows programs (build/windows, cross-compiled) and tries them under Wine:
#   unit tests:  the test executables of the Windows build
#   burns:       kivoardel-cli.exe burn into the virtual recorder (WNASPI32.DLL) on CD-R and
#                DVD+RW, the disc exported with kivo-vrctl.exe and read back by xorriso, 7z and
#                bsdtar on Linux
#   mkiso:       the same seeded tree saved by the Windows and the Linux program with the same
#                SOURCE_DATE_EPOCH, and the bytes that differ listed with what they belong to
# Ends with one line per phase (wall time). Needs the Linux kivoardel-cli of build/test for the
# comparison (KIVO_LINUX_CLI names another); without it that phase is skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build="$root/build/windows"
bin="$build/bin"
linux_cli=${KIVO_LINUX_CLI:-$root/build/test/bin/kivoardel-cli}
jobs=$(nproc)

summary=()
status=0
seconds_since() { echo $(( $(date +%s) - $1 )); }
phase_done() {  # name, start, outcome
  summary+=("$(printf '%-12s %5d s  %s' "$1" "$(seconds_since "$2")" "$3")")
}
fail() { echo "FAILED: $*" >&2; status=1; }

# ---- build ---------------------------------------------------------------------------------
start=$(date +%s)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVO_WERROR=ON -DKIVO_UNITY_BUILD=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" >/dev/null
cmake --build "$build" -j "$jobs"
phase_done "build" "$start" "ok"

# ---- Wine ----------------------------------------------------------------------------------
# Debian keeps wine64 and wineserver out of PATH. One prefix for the whole run, and one server
# kept alive across the runs (-p), so that no test pays for starting either.
export PATH="/usr/lib/wine:$PATH"
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all
# Wine has a built-in WNASPI32.DLL of its own (without drives); the one beside the program is
# the one to load, as it would be on Windows.
export WINEDLLOVERRIDES="wnaspi32=n"
start=$(date +%s)
mkdir -p "$WINEPREFIX"
wineserver64 -p || [ $? -eq 2 ]  # 2: a server for this prefix runs already
wine64 wineboot -i >/dev/null 2>&1
trap 'wineserver64 -k >/dev/null 2>&1 || true' EXIT
phase_done "wine start" "$start" "prefix $WINEPREFIX"

# Linux environment variables reach the Windows programs unchanged; paths in them must be
# Windows paths, which Wine maps the Linux root to as Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# ---- unit tests ----------------------------------------------------------------------------
start=$(date +%s)
passed=0
for test in "$bin"/windows_*_tests.exe; do
  log="$build/$(basename "$test" .exe).log"
  if wine64 "$test" >"$log" 2>&1; then
    count=$(grep -o '\[  PASSED  \] [0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    passed=$((passed + count))
    echo "$(basename "$test"): $(grep -E '^\[  PASSED  \]|^\[  SKIPPED \] [0-9]+ test' "$log" | tr '\n' ' ')"
  else
    tail -40 "$log"
    fail "$(basename "$test") (log: $log)"
  fi
done
echo "Not run under Wine: iso/ReadersTest and integration_tests (Linux readers; the burns below stand"
echo "  for them); single tests that need Linux skip themselves with the reason."
phase_done "unit tests" "$start" "$passed passed"

# ---- burns into the virtual recorder ------------------------------------------------------
work=$(mktemp -d /tmp/kivo-windows-XXXXXX)
trap 'wineserver64 -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
source="$work/source"
mkdir -p "$source/Folder With Blanks/deeper"
printf 'plain text\n' > "$source/readme.txt"
printf 'a name longer than eight\n' > "$source/A Long File Name.text"
head -c 3000000 /dev/urandom > "$source/Folder With Blanks/DATA.BIN"
printf 'down here\n' > "$source/Folder With Blanks/deeper/note.txt"

start=$(date +%s)
burns=()
for kind in cd-r dvd+rw; do
  recorder="$work/recorder-$kind"
  image="$work/disc-$kind.iso"
  export KIVO_VIRTUAL_RECORDER
  KIVO_VIRTUAL_RECORDER=$(windows_path "$recorder")
  # The recorder's long operations (formatting, closing) take no time here.
  if ! wine64 "$bin/kivo-vrctl.exe" "$KIVO_VIRTUAL_RECORDER" insert "$kind" >/dev/null ||
     ! wine64 "$bin/kivo-vrctl.exe" "$KIVO_VIRTUAL_RECORDER" timescale 0 >/dev/null ||
     ! KIVO_WAIT_SCALE=0 wine64 "$bin/kivoardel-cli.exe" burn --volume WINBURN "$(windows_path "$source")" ||
     ! wine64 "$bin/kivo-vrctl.exe" "$KIVO_VIRTUAL_RECORDER" export "$(windows_path "$image")" >/dev/null; then
    fail "burn on $kind"
    continue
  fi
  # Each reader must see the whole tree with the right content.
  for reader in xorriso 7z bsdtar; do
    out="$work/read-$kind-$reader"
    mkdir -p "$out"
    case $reader in
      xorriso) xorriso -osirrox on -indev "$image" -extract / "$out" >/dev/null 2>&1 ;;
      7z) 7z x -o"$out" "$image" >/dev/null ;;
      bsdtar) bsdtar -xf "$image" -C "$out" ;;
    esac
    chmod -R u+w "$out"
    if ! diff -r "$source" "$out" >/dev/null; then
      diff -r "$source" "$out" | head -10
      fail "$reader reads back the $kind disc differently"
    fi
  done
  burns+=("$kind")
done
unset KIVO_VIRTUAL_RECORDER
phase_done "burns" "$start" "${burns[*]:-none} read back by xorriso, 7z, bsdtar"

# ---- mkiso: Windows against Linux ----------------------------------------------------------
start=$(date +%s)
if [ -x "$linux_cli" ]; then
  export SOURCE_DATE_EPOCH=1700000000
  # The same times on every file, so that only what the systems tell apart can differ.
  find "$source" -exec touch -h -d @1690000000 {} +
  "$linux_cli" mkiso --volume SAME -o "$work/linux.iso" "$source" >/dev/null
  wine64 "$bin/kivoardel-cli.exe" mkiso --volume SAME -o "$(windows_path "$work/windows.iso")" \
    "$(windows_path "$source")" >/dev/null
  unset SOURCE_DATE_EPOCH
  linux_size=$(stat -c %s "$work/linux.iso")
  windows_size=$(stat -c %s "$work/windows.iso")
  differing=$(cmp -l "$work/linux.iso" "$work/windows.iso" 2>/dev/null | wc -l || true)
  echo "mkiso: Linux $linux_size bytes, Windows $windows_size bytes, $differing bytes differ"
  if [ "$differing" -gt 0 ]; then
    # Offsets by 2048-byte block, and the ISO 9660 names each program chose.
    { cmp -l "$work/linux.iso" "$work/windows.iso" 2>/dev/null || true; } |
      awk '{ block = int(($1 - 1) / 2048); count[block]++ } END { for (b in count) printf "  block %d: %d bytes\n", b, count[b] }' |
      sort -k2 -n
    diff <(isoinfo -i "$work/linux.iso" -f) <(isoinfo -i "$work/windows.iso" -f) |
      sed 's/^/  ISO 9660 names: /' || true
  fi
  phase_done "mkiso" "$start" "$differing bytes differ"
else
  echo "mkiso comparison skipped: no Linux kivoardel-cli at $linux_cli (build build/test first)"
  phase_done "mkiso" "$start" "skipped"
fi

echo
printf '%s\n' "${summary[@]}"
exit $status
