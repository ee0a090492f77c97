#!/bin/bash
# Runs the real launcher under Wine with the option combinations a user can
# give and compares the install log it writes byte for byte.
#   launcher_log_test.sh LAUNCHER.EXE TARNPACK JAVA_CLASSES_DIR WINDOW_WATCHER.EXE
# (under tests/wine/harness.sh run)
set -u
. "$(dirname "$0")/lib.sh"

launcher=$1 tarnpack=$2 classes=$3 watcher=$4
CRLF=$'\r\n'
# A base folder with a blank in it: relative options resolve against it.
win_dir='C:\e2e\launcher log'
dir="$(drive_c)/e2e/launcher log"
rm -rf "$dir"
mkdir -p "$dir/sub"
pack_sample_archive "$tarnpack" "$classes" "$dir/Installer.class"
"$tarnpack" build -o "$dir/setup.exe" --launcher "$launcher" --archive "$dir/Installer.class" \
    --verify "$classes/Verify.class" --criteria 'vendor=none:version=1.4' >/dev/null ||
    { fail "tarnpack build" "exit $?"; e2e_summary; exit 1; }
# A real class with a resource table: valid, and readable when a run that
# found no JVM looks into it for a shipped one.
cp "$dir/Installer.class" "$dir/good.class"
printf 'not a class' >"$dir/bad.class"
printf '\xca\xfe\xba' >"$dir/short.class"
cp "$dir/bad.class" "$dir/sub/bad.class"
temp=$(wine_temp_dir)

# run_setup ARGS...: the launcher always exits with 0.
run_setup() {
    local code
    (cd "$dir" && timeout 60 "$TARNWICK_WINE" "$win_dir\\setup.exe" "$@")
    code=$?
    [ $code -eq 0 ] || fail "exit code of setup.exe $*" "was $code"
}

# The validation line for a path. Not a command substitution, which would
# drop the line's closing CR LF.
validation() { printf -v LINE '%sValidation of  %s failed%s' "$CRLF" "$1" "$CRLF"; }
# The package's criteria name a vendor nobody searches for: the search ends
# at once, with its summary.
summary="${CRLF}Search summary ${CRLF}${CRLF}"$'\t'"Searching a JVM that matches the criteria  (Vendor=none, Version=1.4, Type=)... Not Found${CRLF}"$'\t'"Search for JVM failed  ${CRLF}"
# Without criteria every JVM would do: the whole machine is searched.
summary_any="${CRLF}Search summary ${CRLF}${CRLF}"$'\t'"Searching a JVM that matches the criteria  (Vendor=, Version=, Type=)... Not Found${CRLF}"$'\t'"Search for JVM failed  ${CRLF}"
remove_stray_jvms
given=(-verify good.class -archive good.class)

run_setup -silent -log first.log
expect_log "a log path resolves against the setup's folder; the package is read and searched" \
    "$dir/first.log" "$summary"

rm -f "$temp/twlog.txt"
run_setup -silent -logall -verify bad.class
expect_no_file "logall without log writes no file" "$temp/twlog.txt"

run_setup -silent -log -verify bad.class
validation "$win_dir\\bad.class"
expect_log "log without a value goes to twlog.txt in the temp folder" "$temp/twlog.txt" \
    "$LINE"
rm -f "$temp/twlog.txt"

run_setup -silent -log 'missing\folder\x.log' -verify bad.class
expect_no_file "a log in a missing folder is not written" "$dir/missing"

printf 'an old log that is much longer than the new one will be' >"$dir/old.log"
run_setup -silent -log old.log -verify bad.class
validation "$win_dir\\bad.class"
expect_log "an existing log is emptied and rewritten" "$dir/old.log" "$LINE"

run_setup -silent -log v.log -verify bad.class -archive good.class
validation "$win_dir\\bad.class"
expect_log "a verify class that is no class file" "$dir/v.log" "$LINE"

run_setup -silent -log short.log -verify short.class
validation "$win_dir\\short.class"
expect_log "a class file shorter than its magic" "$dir/short.log" \
    "$LINE"

run_setup -silent -log m.log -verify missing.class
validation "$win_dir\\missing.class"
expect_log "a missing verify class" "$dir/m.log" "$LINE"

run_setup -silent -log a.log -verify good.class -archive 'sub\.\x\..\bad.class'
validation "$win_dir\\sub\\bad.class"
expect_log "an archive that is no class file, its path normalised" "$dir/a.log" \
    "$LINE"

run_setup -silent -log 'C:\e2e\launcher log\abs.log' -verify 'C:\e2e\launcher log\sub\..\bad.class'
validation 'C:\e2e\launcher log\sub\..\bad.class'
expect_log "absolute paths are taken as they are" "$dir/abs.log" \
    "$LINE"

run_setup -silent -log s.log "${given[@]}"
expect_log "both classes valid: the search begins" "$dir/s.log" "$summary"

run_setup -silent -log c.log "${given[@]}" -searchcriteria
expect_log "searchcriteria without a value: section 3 is not read, any JVM will do" "$dir/c.log" "$summary_any"

run_setup -silent -log j.log "${given[@]}" -jvm 'C:\j\bin\java.exe'
validation 'C:\j\bin\java.exe'
expect_log "a jvm option skips the search; a JVM that cannot start fails its verification" "$dir/j.log" "$LINE"

run_setup -silent -log n.log "${given[@]}" -nosearch
validation 'java.exe'
expect_log "nosearch runs java.exe as the system finds it (none here)" "$dir/n.log" "$LINE"

run_setup /SILENT /LOG "quoted name.log" /VERIFY bad.class
validation "$win_dir\\bad.class"
expect_log "keys in capitals after a slash, a quoted value with a blank" \
    "$dir/quoted name.log" "$LINE"

run_setup -silent -logall:yes -log x.log -verify bad.class
validation "$win_dir\\bad.class"
expect_log "an unknown key is skipped" "$dir/x.log" "$LINE"

# Interactive: the worker thread runs the sequence behind the progress
# dialog and ends the message loop when it is done. No JVM is found, so the
# user is asked about a shipped JVM and to browse: both answered Cancel.
cp "$watcher" "$dir/watch.exe"
(cd "$dir" && timeout 60 "$TARNWICK_WINE" "$win_dir\\watch.exe" "$win_dir\\i.rec" --press Cancel -- \
    "$win_dir\\setup.exe" -log i.log "${given[@]}")
expect_log "interactive run: the worker logs and the launcher exits" "$dir/i.log" "$summary"

run_setup -log iv.log -verify bad.class
validation "$win_dir\\bad.class"
expect_log "interactive run with a failed validation" "$dir/iv.log" "$LINE"

e2e_summary
