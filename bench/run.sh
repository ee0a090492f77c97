#!/bin/bash
# `make bench`: builds a 3.5 MB package with tarnpack and measures, under
# Wine, loading and extracting it against a plain copy of the same bytes.
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
