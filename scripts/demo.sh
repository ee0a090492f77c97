#!/bin/bash
# `make demo`: runs the freshly built launcher.exe under Wine, silently with
# the install log on, and prints the log. Uses the same private prefix as the
# tests, below the build folder.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
harness="$root/tests/wine/harness.sh"
state="$build/wine"

"$harness" start "$state" >/dev/null
trap '"$harness" stop "$state" >/dev/null' EXIT
eval "$("$harness" env "$state")"

demo="$WINEPREFIX/drive_c/demo"
rm -rf "$demo"
mkdir -p "$demo"
cp "$build/windows/launcher.exe" "$demo/setup.exe"
# Stand-ins for the installer's class and the verification class: enough for
# the launcher to validate them and go on to the JVM search.
printf '\xca\xfe\xba\xbe\x00\x00\x00\x34' >"$demo/Installer.class"
printf '\xca\xfe\xba\xbe\x00\x00\x00\x34' >"$demo/Verify.class"

run() {
    echo "\$ wine C:\\demo\\setup.exe $*"
    (cd "$demo" && wine 'C:\demo\setup.exe' "$@")
    echo "exit code $?"
}

run -silent -log setup.log -logall -verify Verify.class -archive Installer.class
echo "--- C:\\demo\\setup.log"
tr -d '\r' <"$demo/setup.log"
echo
echo "---"
echo "The launcher validated both classes and began the JVM search; the search"
echo "and the package reader come next."
