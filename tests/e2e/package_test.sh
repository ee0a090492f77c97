#!/bin/bash
# The package end to end: setup executables made by tarnpack, run under Wine.
# Checks the install log byte for byte, the files written to and deleted
# from the temporary folder, and the message boxes, read back from the
# screen by the window watcher.
#   package_test.sh LAUNCHER.EXE WINDOW_WATCHER.EXE TARNPACK JAVA_CLASSES_DIR TARNPACK.EXE
set -u
. "$(dirname "$0")/lib.sh"

launcher=$1 watcher=$2 tarnpack=$3 classes=$4 tarnpack_exe=$5
CRLF=$'\r\n'
win_dir='C:\e2e\package'
dir="$(drive_c)/e2e/package"
rm -rf "$dir"
mkdir -p "$dir"
cp "$launcher" "$dir/launcher.exe"
cp "$watcher" "$dir/watch.exe"
temp=$(wine_temp_dir)
win_temp=$(wine_temp_win)
# A vendor nobody searches for: the search ends at once.
criteria='vendor=none:type=jre:version=1.4'
not_found="${CRLF}"$'\t'"Searching a JVM that matches the criteria  (Vendor=none, Version=1.4, Type=jre)... Not Found${CRLF}"$'\t'"Search for JVM failed  ${CRLF}"

pack_sample_archive "$tarnpack" "$classes" "$dir/Installer.class"
"$tarnpack" build -o "$dir/setup.exe" --launcher "$launcher" --archive "$dir/Installer.class" \
    --verify "$classes/Verify.class" --criteria "$criteria" || { fail "tarnpack build" "exit $?"; e2e_summary; exit 1; }

size() { stat -c %s "$1"; }
image=$(size "$launcher")
total=$(size "$dir/setup.exe")
archive_size=$(size "$dir/Installer.class")
verify_size=$(size "$classes/Verify.class")
criteria_size=$((2 + ${#criteria}))
# Data offsets: the package starts at the image size; 43 table bytes, then
# each section's counted name before its data.
o1=$((image + 43 + 2 + 15))
o2=$((o1 + archive_size + 2 + 12))
o3=$((o2 + verify_size + 2 + 18))

# run_watched RECORD BUTTON ARGS...: runs setup.exe under the window watcher,
# pressing BUTTON in every window it shows.
run_watched() {
    local record=$1 button=$2
    shift 2
    rm -f "$dir/$record"
    run_watcher "$record" --press "$button" -- "$@"
}

# expect_windows NAME RECORD LINES: the windows shown besides the progress
# dialog, one "caption<TAB>texts<TAB>buttons" line each.
expect_windows() {
    local got
    got=$(tr -d '\r' <"$dir/$2" 2>/dev/null | grep -v -e '^Tarnwick Java Edition' -e '^#' | cut -f1-3)
    if [ "$got" = "$3" ]; then pass "$1"; else fail "$1" "want: $3" "got:  $got"; fi
}

# --- a good package, silent, with the whole trace. No JVM is found, so the
# archive's table is read for a shipped JVM (it has none) and the run ends.
# The archive's lines as the launcher's own reader writes them, via tarnpack:
archive_trace=$("$tarnpack" list "$dir/Installer.class" | grep $'^\t' | sed 's/$/\r/'; printf x)
archive_trace=${archive_trace%x}
rm -f "$temp/Verify.class" "$temp/Installer.class"
run_watched good.rec OK "$win_dir\\setup.exe" -silent -log good.log -logall
expect_log "the whole trace of a good package" "$dir/good.log" \
"${CRLF}Reading installation executable  $win_dir\\setup.exe ${CRLF}"\
$'\t'"Exe Size ($image), Total File Size ($total) ..${CRLF}"\
$'\t'"Reading 3 Section Info...${CRLF}"\
$'\t'"Section Info: Name(Installer.class), Size($archive_size), File Offset($o1)${CRLF}"\
$'\t'"Section Info: Name(Verify.class), Size($verify_size), File Offset($o2)${CRLF}"\
$'\t'"Section Info: Name(vm search criteria), Size($criteria_size), File Offset($o3)${CRLF}"\
"${CRLF}Extracting file  $win_temp\\Verify.class ...${CRLF}"\
"${CRLF}Extracting file  $win_temp\\Installer.class ....${CRLF}"\
"${CRLF}Extracting Search Criteria...${CRLF}"\
"${CRLF}Search summary ${CRLF}$not_found"\
"${CRLF}Reading Java archive $win_temp\\Installer.class with 1 sections...${CRLF}$archive_trace"\
"${CRLF}Launching  JVM Installer  ...${CRLF}"\
"${CRLF}Deleting file  $win_temp\\Verify.class...${CRLF}"\
"${CRLF}Deleting file  $win_temp\\Installer.class...${CRLF}"
expect_windows "a good package shows no window in silent mode" good.rec ""
expect_no_file "the verify class is deleted at exit" "$temp/Verify.class"
expect_no_file "the archive is deleted at exit" "$temp/Installer.class"

# --- without -logall only failures are logged; files named by options stay
run_watched quiet.rec OK "$win_dir\\setup.exe" -silent -log quiet.log
expect_log "a good package without logall logs only the search" "$dir/quiet.log" "${CRLF}Search summary ${CRLF}$not_found"

cp "$classes/Verify.class" "$dir/MyVerify.class"
run_watched option.rec OK "$win_dir\\setup.exe" -silent -log option.log -logall -verify MyVerify.class
if [ -f "$dir/MyVerify.class" ]; then pass "a verify class named by an option is not deleted"; else
    fail "a verify class named by an option is not deleted" "it is gone"; fi

# --- no package behind the image: "Read failed", in silent mode too
corrupt_line="Installation executable  $win_dir\\launcher.exe is either Corrupted or does not have all the Cmponents in it.${CRLF}"
run_watched bare.rec OK "$win_dir\\launcher.exe" -silent -log bare.log
expect_log "a launcher without a package" "$dir/bare.log" \
    "$corrupt_line${CRLF} Read failed $win_dir\\launcher.exe${CRLF}"
expect_windows "silent mode still shows Read failed, without a caption" bare.rec $'\tRead failed\tOK'

run_watched bare_ui.rec OK "$win_dir\\launcher.exe" -log bare_ui.log
expect_windows "interactive: Read failed with the title as caption" bare_ui.rec \
    $'Zuvidaduvire Ruze Zozazod\tRead failed\tOK'

# --- a table without section 1: "Corrupted" and the invalid-executable box
cp "$launcher" "$dir/empty.exe"
printf '\0\0\0\0' >>"$dir/empty.exe"
run_watched empty.rec OK "$win_dir\\empty.exe" -silent -log empty.log
expect_log "a table without sections" "$dir/empty.log" "${CRLF} Corrupted Installation executable  $win_dir\\empty.exe${CRLF}"
expect_windows "the invalid-executable box" empty.rec \
    $'\tThe installation you\'re trying to run is an invalid executable.\tOK'

# --- a forged section size: the same path, and no huge allocation
cp "$dir/setup.exe" "$dir/forged.exe"
printf '\x7f\xff\xff\xf0' | dd of="$dir/forged.exe" bs=1 seek=$((image + 5)) conv=notrunc status=none
run_watched forged.rec OK "$win_dir\\forged.exe" -silent -log forged.log
expect_log "a section larger than the file" "$dir/forged.log" "${CRLF} Corrupted Installation executable  $win_dir\\forged.exe${CRLF}"

# --- a package cut short inside section 3
head -c $((total - 5)) "$dir/setup.exe" >"$dir/cut.exe"
run_watched cut.rec OK "$win_dir\\cut.exe" -silent -log cut.log
expect_log "a package cut short" "$dir/cut.log" "${CRLF} Corrupted Installation executable  $win_dir\\cut.exe${CRLF}"

# --- no temporary folder: the disk-space box, then its log line
(cd "$dir" && timeout 120 "$TARNWICK_WINE" cmd /c "set TMP=C:\\no\\such\\folder&& set TEMP=C:\\no\\such\\folder&& $win_dir\\watch.exe $win_dir\\space.rec --press OK -- $win_dir\\setup.exe -silent -log space.log")
expect_log "no temporary folder" "$dir/space.log" \
    "${CRLF}Not enough space to copy file  Verify.class of size ($verify_size)${CRLF}"
expect_windows "the disk-space box shows the first 99 characters of its text" space.rec \
    $'\tThe installation could not continue because there is insufficient disk space on the target machine.\tOK'

# --- a stale file in the temporary folder is replaced, then deleted
printf 'stale' >"$temp/Verify.class"
run_watched stale.rec OK "$win_dir\\setup.exe" -silent -log stale.log
expect_log "a stale verify class is replaced" "$dir/stale.log" "${CRLF}Search summary ${CRLF}$not_found"
expect_no_file "the replaced file is deleted at exit" "$temp/Verify.class"

# --- tarnpack.exe on Windows writes the same bytes as tarnpack here
cp "$tarnpack_exe" "$classes/Verify.class" "$dir/"
(cd "$dir" && tw_wine "$win_dir\\tarnpack.exe" build -o "$win_dir\\win_setup.exe" \
    --launcher "$win_dir\\launcher.exe" --archive "$win_dir\\Installer.class" \
    --verify "$win_dir\\Verify.class" --criteria "$criteria" >/dev/null 2>&1)
if cmp -s "$dir/win_setup.exe" "$dir/setup.exe"; then pass "tarnpack.exe builds the same setup.exe"; else
    fail "tarnpack.exe builds the same setup.exe" "$(cmp "$dir/win_setup.exe" "$dir/setup.exe" 2>&1)"; fi

e2e_summary
