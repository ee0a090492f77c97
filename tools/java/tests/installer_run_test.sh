#!/bin/bash
# The sample installer packed by tarnpack runs unchanged in a real JVM (which
# skips the resource attribute) and writes every resource back byte for byte
# into the folder given as argument, by -Dtarnwick.target, or below user.home.
set -eu
tarnpack=$1 java=$2 classes=$3 work=$4
fail() { echo "installer_run: $*" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work/in" "$work/packed" "$work/home"
printf 'Read me first.\r\n' >"$work/in/readme.txt" && : >"$work/in/empty.txt"
head -c 200000 /dev/urandom >"$work/in/data.bin"
seq 1 5000 >"$work/in/notes.txt"
head -c 5000 /dev/urandom >"$work/in/jvm-setup.exe"
"$tarnpack" archive -o "$work/packed/Installer.class" --class "$classes/Installer.class" \
    --section Docs "$work/in/readme.txt" "$work/in/empty.txt" --compressed Data "$work/in/data.bin" \
    "$work/in/notes.txt" --bundled-jvm "$work/in/jvm-setup.exe" >/dev/null

# Runs the packed installer with these JVM options and arguments into a target.
install_into() {
    local target=$1 line
    shift
    "$java" "$@" >"$work/out" 2>"$work/err" || fail "exit status $?: $(cat "$work/err")"
    [ ! -s "$work/err" ] || fail "wrote to standard error: $(cat "$work/err")"
    for file in readme.txt empty.txt data.bin notes.txt jvm-setup.exe; do
        cmp -s "$work/in/$file" "$target/$file" || fail "$target/$file differs from its input"
        grep -qF -- "$file (" "$work/out" || fail "no line for $file: $(cat "$work/out")"
    done
    for line in "Docs: readme.txt (16 bytes) -> $target/readme.txt" \
        "BundledVMInstallers: jvm-setup.exe (5000 bytes, JVM installer) -> $target/jvm-setup.exe"; do
        grep -qxF "$line" "$work/out" || fail "no line '$line' in: $(cat "$work/out")"
    done
    [ "$(wc -l <"$work/out")" -eq 6 ] && [ "$(tail -n 1 "$work/out")" = "Installed 5 files into $target" ] ||
        fail "not 6 lines ending in the summary: $(cat "$work/out")"
}
install_into "$work/target" -cp "$work/packed" Installer "$work/target"
install_into "$work/by-property" -Dtarnwick.target="$work/by-property" -cp "$work/packed" Installer
install_into "$work/home/TarnwickSample" -Duser.home="$work/home" -cp "$work/packed" Installer
# The class as javac wrote it carries no resources: a message and a failure.
! "$java" -cp "$classes" Installer "$work/unpacked" >"$work/out" 2>"$work/err" || fail "no resources, yet status 0"
grep -q '^Installer: ' "$work/err" || fail "no message for an installer without resources: $(cat "$work/err")"
echo "installer_run: the packed installer installed its resources"
