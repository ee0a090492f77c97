#!/bin/bash
# `make demo`: packs a sample setup.exe with tarnpack (the sample installer
# with a few resources, the verification class and JVM criteria), runs it
# under Wine silently with the install log on, and shows the log and what
# the package holds. Uses the same private prefix as the tests, below the
# build folder.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
harness="$root/tests/wine/harness.sh"
state="$build/wine"
tarnpack="$build/tools/tarnpack/tarnpack"

"$harness" start "$state" >/dev/null
trap '"$harness" stop "$state" >/dev/null' EXIT
eval "$("$harness" env "$state")"

demo="$WINEPREFIX/drive_c/demo"
rm -rf "$demo"
mkdir -p "$demo/resources"
echo "Welcome to the Tarnwick sample installation." >"$demo/resources/readme.txt"
printf 'license text\r\n' >"$demo/resources/license.txt"
head -c 20000 /dev/zero | tr '\0' 'x' >"$demo/resources/data.bin"

step() { echo; echo "\$ $*"; "$@"; }
step "$tarnpack" archive -o "$demo/Installer.class" --class "$build/java/Installer.class" \
    --section Docs "$demo/resources/readme.txt" "$demo/resources/license.txt" \
    --compressed Data "$demo/resources/data.bin"
step "$tarnpack" build -o "$demo/setup.exe" --launcher "$build/windows/launcher.exe" \
    --archive "$demo/Installer.class" --verify "$build/java/Verify.class" \
    --criteria 'vendor=sun:type=jre:version=1.4;vendor=ibm:version=1.4'
step "$tarnpack" list "$demo/setup.exe"

echo
echo "\$ wine C:\\demo\\setup.exe -silent -log setup.log -logall"
(cd "$demo" && wine 'C:\demo\setup.exe' -silent -log setup.log -logall)
echo "exit code $?"
echo "--- C:\\demo\\setup.log"
tr -d '\r' <"$demo/setup.log"
echo
echo "---"
echo "The launcher read its package, wrote Verify.class and Installer.class into"
echo "the temporary folder and searched every place for a JVM matching the"
echo "criteria. This Wine prefix has none, and the package ships none, so the run"
echo "ended there; at exit it deleted the two files again. What the archive carries:"
step "$tarnpack" list "$demo/Installer.class"

echo
echo "The same archive is a class file a real JVM runs; the sample installer"
echo "installs its own resources (run here in the machine's JVM):"
step java -cp "$demo" Installer "$demo/installed"
step ls -l "$demo/installed"
