#!/bin/bash
# Packs resources into the sample installer with tarnpack and runs the packed
# class in a real JVM: the class must load unchanged (the JVM skips the
# resource attribute) and write every resource back byte for byte, into the
# folder given as argument, by -Dtarnwick.target, or below the user's home.
set -eu
tarnpack=$1
java=$2
classes=$3
work=$4

fail() { echo "installer_run: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/in" "$work/packed" "$work/home"
printf 'Read me first.\r\n' >"$work/in/readme.txt"
: >"$work/in/empty.txt"
head -c 200000 /dev/urandom >"$work/in/data.bin"
seq 1 5000 >"$work/in/notes.txt"
head -c 5000 /dev/urandom >"$work/in/jvm-setup.exe"
files=(readme.txt empty.txt data.bin notes.txt jvm-setup.exe)

"$tarnpack" archive -o "$work/packed/Installer.class" --class "$classes/Installer.class" \
    --section Docs "$work/in/readme.txt" "$work/in/empty.txt" \
    --compressed Data "$work/in/data.bin" "$work/in/notes.txt" \
    --bundled-jvm "$work/in/jvm-setup.exe" >/dev/null
"$tarnpack" list "$work/packed/Installer.class" >"$work/list" || fail "tarnpack list failed"

# Runs the packed installer with the given JVM options and arguments, then
# checks the files and the lines it printed against the target folder.
install_into() {
    local target=$1
    shift
    local status=0
    "$java" "$@" >"$work/out" 2>"$work/err" || status=$?
    [ "$status" -eq 0 ] || fail "exit status $status: $(cat "$work/err")"
    [ ! -s "$work/err" ] || fail "wrote to standard error: $(cat "$work/err")"
    for file in "${files[@]}"; do
        cmp -s "$work/in/$file" "$target/$file" || fail "$target/$file differs from its input"
        grep -qF -- "$file (" "$work/out" || fail "no line for $file"
    done
    grep -qF "Docs: readme.txt (16 bytes) -> $target/readme.txt" "$work/out" || fail "bad line for readme.txt"
    grep -qF "BundledVMInstallers: jvm-setup.exe (5000 bytes, JVM installer) -> $target/jvm-setup.exe" \
        "$work/out" || fail "bad line for the JVM installer"
    [ "$(wc -l <"$work/out")" -eq 6 ] || fail "expected 6 lines: $(cat "$work/out")"
    [ "$(tail -n 1 "$work/out")" = "Installed 5 files into $target" ] || fail "bad last line: $(tail -n 1 "$work/out")"
}

install_into "$work/target" -cp "$work/packed" Installer "$work/target"
install_into "$work/by-property" -Dtarnwick.target="$work/by-property" -cp "$work/packed" Installer
install_into "$work/home/TarnwickSample" -Duser.home="$work/home" -cp "$work/packed" Installer

# The class as javac wrote it carries no resources: a message and a failure.
status=0
"$java" -cp "$classes" Installer "$work/unpacked" >"$work/out" 2>"$work/err" || status=$?
[ "$status" -ne 0 ] || fail "an installer without resources exits with 0"
grep -q '^Installer: ' "$work/err" || fail "no message for an installer without resources: $(cat "$work/err")"
echo "installer_run: the packed installer installed its resources"
