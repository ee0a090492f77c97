#!/bin/bash
# `make demo`: packs a sample setup.exe with tarnpack and runs it as a user
# would, with its progress window, under Wine. The launcher finds this
# machine's own JVM, through the JVM bridge (tools/jvm_bridge) installed for
# the run, proves it with Verify and runs the sample installer in it. Shows a
# picture of the progress window, what the installer installed and the
# install log. Uses the private prefix and Xvfb of the tests, below the
# build folder.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
harness="$root/tests/wine/harness.sh"
state="$build/wine"
tarnpack="$build/tools/tarnpack/tarnpack"
. "$root/tests/e2e/lib.sh"

"$harness" start "$state" >/dev/null
trap '"$harness" stop "$state" >/dev/null' EXIT
eval "$("$harness" env "$state")"
windows=$(windows_build_dir "$build")
version=$(criterion_version "$(host_jvm_property "$build/java" java.version)")
# The bridge must not outlive the demo: other runs in this prefix must not
# find a JVM they do not expect.
trap 'remove_jvm_bridge "$version"; "$harness" stop "$state" >/dev/null' EXIT

demo="$WINEPREFIX/drive_c/demo"
rm -rf "$demo"
mkdir -p "$demo/resources"
echo "Welcome to the Tarnwick sample installation." >"$demo/resources/readme.txt"
printf 'license text\r\n' >"$demo/resources/license.txt"
head -c 20000 /dev/zero | tr '\0' 'x' >"$demo/resources/data.bin"

# Shows a command with the folders shortened, runs it quietly.
step() {
    local shown="$*"
    shown=${shown//$demo\//}
    echo "\$ ${shown//$build\//build/}"
    "$@" >/dev/null
}
# The vendor is left open (a JVM of today names none of sun, ibm and
# microsoft in its vendor URL); the version is this JVM's own.
criteria="type=jre:version=$version"
step "$tarnpack" archive -o "$demo/Installer.class" --class "$build/java/Installer.class" \
    --section Docs "$demo/resources/readme.txt" "$demo/resources/license.txt" \
    --compressed Data "$demo/resources/data.bin"
step "$tarnpack" build -o "$demo/setup.exe" --launcher "$windows/launcher.exe" \
    --archive "$demo/Installer.class" --verify "$build/java/Verify.class" --criteria "$criteria"

# This JVM answers in a fraction of a second, and the progress window would
# be gone before the window watcher takes its picture (400 ms after a window
# appears): the bridge starts it a second late.
java=$(readlink -f "$(command -v java)")
printf '#!/bin/sh\nsleep 1\nexec %s "$@"\n' "$java" >"$demo/java-a-second-late"
chmod +x "$demo/java-a-second-late"
install_jvm_bridge "$windows/tools/jvm_bridge/jvm_bridge.exe" "$version" "$demo/java-a-second-late"
echo
echo "The JVM bridge is $JVM_BRIDGE_HOME\\bin\\java.exe; it runs $java"
echo "(a second late, so that the progress window stays up for its picture). The key"
echo "HKLM\\Software\\JavaSoft\\Java Runtime Environment\\$version names $JVM_BRIDGE_HOME as JavaHome."
profile=$(tw_wine winepath -u "$(tw_wine cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r')" 2>/dev/null)
target="$profile/TarnwickSample"
rm -rf "$target"
cp "$windows/window_watcher.exe" "$demo/watch.exe"

echo
echo "\$ wine C:\\demo\\setup.exe -log setup.log -logall      (interactive, on the Xvfb display $DISPLAY)"
(cd "$demo" && timeout 300 "$TARNWICK_WINE" 'C:\demo\watch.exe' 'C:\demo\windows.txt' --shots 'C:\demo\shots' \
    --timeout 240000 -- 'C:\demo\setup.exe' -log setup.log -logall) >/dev/null 2>&1 || true

# The progress window is the one whose status line the watcher followed.
line=$(tr -d '\r' <"$demo/windows.txt" 2>/dev/null | awk -F'\t' '$1 == "#state" { print $2; exit }')
echo
if [ -n "$line" ] && [ -f "$demo/shots/$line.png" ]; then
    echo "Picture of the progress window: $demo/shots/$line.png"
else
    echo "No picture of the progress window was taken (see $demo/windows.txt)."
fi
echo
echo "What the sample installer installed (the Windows profile's TarnwickSample):"
ls -l "$target" 2>&1 | sed 1d
echo
echo "--- C:\\demo\\setup.log"
tr -d '\r' <"$demo/setup.log"
echo
echo "---"
echo "The launcher read its package, wrote Verify.class and Installer.class into the"
echo "temporary folder, found the bridge through the registry key, ran Verify in it"
echo "(the vendor in the summary comes from the java.vendor.url the real JVM printed), ran"
echo "the installer class in it, and deleted the two files at exit."
