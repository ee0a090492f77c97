#!/bin/bash
# `make bench`: under Wine, loading and extracting a 3.5 MB package against
# a plain copy of the same bytes; the drive scan of the JVM search against a
# bare walk of a tree of 100,000 files in 10,000 folders; and, natively, the
# JVM runs a search costs in the worst case.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
harness="$root/tests/wine/harness.sh"
state="$build/wine"
tarnpack="$build/tools/tarnpack/tarnpack"
work="$build/bench"
mkdir -p "$work"

# An installer archive of about the size of a real one: 3.5 MB of resources
# that do not compress.
head -c 3500000 /dev/urandom >"$work/payload.bin"
"$tarnpack" archive -o "$work/Installer.class" --class "$build/java/Installer.class" \
    --section Payload "$work/payload.bin" >/dev/null
"$tarnpack" build -o "$work/setup.exe" --launcher "$build/windows/launcher.exe" \
    --archive "$work/Installer.class" --verify "$build/java/Verify.class" \
    --criteria 'vendor=sun:type=jre:version=1.4' >/dev/null

"$harness" start "$state" >/dev/null
trap '"$harness" stop "$state" >/dev/null' EXIT
eval "$("$harness" env "$state")"
cp "$work/setup.exe" "$build/windows/package_bench.exe" "$WINEPREFIX/drive_c/tarnwick/bin/"
wine 'C:\tarnwick\bin\package_bench.exe' 'C:\tarnwick\bin\setup.exe' 61

# A tree of 100 x 100 folders with 10 files each, made once and kept.
tree="$work/tree"
if [ ! -f "$tree/.complete" ]; then
    rm -rf "$tree"
    for i in $(seq -w 0 99); do for j in $(seq -w 0 99); do echo "$tree/d$i/e$j"; done; done | xargs mkdir -p
    for i in $(seq -w 0 99); do for j in $(seq -w 0 99); do for k in 0 1 2 3 4 5 6 7 8 9; do
        echo "$tree/d$i/e$j/f$k.txt"; done; done; done | xargs touch
    mkdir -p "$tree/d42/e42/jdk/bin" && touch "$tree/d42/e42/jdk/bin/java.exe"
    touch "$tree/.complete"
fi
. "$root/tests/e2e/lib.sh"
map_fixed_drive s "$tree"
cp "$build/windows/scan_bench.exe" "$WINEPREFIX/drive_c/tarnwick/bin/"
echo
wine 'C:\tarnwick\bin\scan_bench.exe' 'S:\' 5
unmap_drive s

echo
"$build/search_cost"
