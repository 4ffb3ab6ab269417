#!/bin/sh
# Makes the import fuzzer's seeds: small trees saved by our mkiso (with and without Joliet) and
# by xorriso (Joliet, plain, Rock Ridge), each cut to the option byte and 48 sectors from sector
# 16 on, which hold every descriptor, path table and directory of trees this small.
#   fuzz/import_corpus.sh build/bin/kivoardel-cli
set -eu
cli=$1
out=$(dirname "$0")/import_corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tree=$work/tree
mkdir -p "$tree/Documents and Settings/a rather long folder name" "$tree/d1/d2/d3/d4/d5/d6/d7/d8/d9" "$tree/many"
printf 'x' >"$tree/README"
printf 'hello' >"$tree/Documents and Settings/a rather long folder name/Čitaj me prvo.txt"
: >"$tree/d1/d2/d3/d4/d5/d6/d7/d8/d9/deep.txt"
i=0
while [ $i -lt 40 ]; do
  printf '%s' $i >"$tree/many/file with a long name number $i.dat"
  i=$((i + 1))
done

seed() {  # image name
  { printf '\000'; dd if="$1" bs=2048 skip=16 count=48 status=none; } >"$out/$2"
}

mkdir -p "$out"
"$cli" mkiso -o "$work/joliet.iso" "$tree" >/dev/null
seed "$work/joliet.iso" mkiso-joliet
"$cli" mkiso --no-joliet -o "$work/plain.iso" "$tree" >/dev/null
seed "$work/plain.iso" mkiso-plain
xorriso -as mkisofs -quiet -J -o "$work/xj.iso" "$tree"
seed "$work/xj.iso" xorriso-joliet
xorriso -as mkisofs -quiet -o "$work/xp.iso" "$tree"
seed "$work/xp.iso" xorriso-plain
xorriso -as mkisofs -quiet -R -J -o "$work/xr.iso" "$tree"
seed "$work/xr.iso" xorriso-rockridge-joliet
