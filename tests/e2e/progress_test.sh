#!/bin/bash
# The progress dialog of an interactive run, watched by the window watcher:
# the status texts in order, Cancel answered with Cancel, Cancel answered
# with OK in every step of the run, and the message boxes it owns.
#   progress_test.sh LAUNCHER.EXE WINDOW_WATCHER.EXE TARNPACK JAVA_CLASSES_DIR STAND_IN_JVM.EXE
set -u
. "$(dirname "$0")/lib.sh"

launcher=$1 watcher=$2 tarnpack=$3 classes=$4 stand_in=$5
export STAND_IN_JVM="$stand_in"
win_dir='C:\e2e\progress'
dir="$(drive_c)/e2e/progress"
rm -rf "$dir"
mkdir -p "$dir"
cp "$watcher" "$dir/watch.exe"
remove_stray_jvms
reg_delete 'Software\JavaSoft'
temp=$(wine_temp_dir)
win_temp=$(wine_temp_win)
export TARNWICK_JVM_RECORD="$win_dir\\jvm-record.txt"
record="$dir/jvm-record.txt"
jre_key='Software\JavaSoft\Java Runtime Environment\1.2'

# An archive of 20 MB, so that its extraction is a step one can see, and a
# package whose criteria the stand-in JVMs below meet.
head -c 20000000 /dev/zero >"$dir/data.bin"
"$tarnpack" archive -o "$dir/Installer.class" --class "$classes/Installer.class" \
    --section Data "$dir/data.bin" >/dev/null
"$tarnpack" build -o "$dir/setup.exe" --launcher "$launcher" --archive "$dir/Installer.class" \
    --verify "$classes/Verify.class" --criteria 'vendor=sun:type=jre:version=1.2' >/dev/null
rm -f "$dir/data.bin"

# run_watched RECORD WATCHER-OPTIONS... -- ARGS: an interactive run with the
# whole log, in LOG named after the record.
run_watched() {
    local rec=$1
    shift
    rm -f "$dir/$rec" "$dir/${rec%.rec}.log" "$record"
    run_watcher "$rec" "$@"
}
# The status texts one after the other while the dialog is shown (at the end
# of the process it goes away with its status line).
statuses() { tr -d '\r' <"$dir/$1" | awk -F'\t' '$1 == "#state" && $3 == 1 && $5 != "" { print $5 }' | uniq | paste -sd '|'; }
log_text() { tr -d '\r' <"$dir/$1"; }

# jvm_at FOLDER MODE: a stand-in JRE under the runtime key.
jvm_at() {
    install_stand_in_jvm "$dir/jvms/$1/bin" jre.exe 1.2.2 http://java.sun.com/ "$2"
    reg_set_java_home "$jre_key" "$win_dir\\jvms\\$1"
}

# --- a whole run: the status line names each step; at the launch the
# dialog is hidden by its region and never shown again
jvm_at good normal
run_watched order.rec -- "$win_dir\\setup.exe" -log order.log
got=$(statuses order.rec)
want='Extracting Java Archive...|Searching for JVM...'
last=$(tr -d '\r' <"$dir/order.rec" | grep $'^#state\t[0-9]*\t1\t' | tail -1 | cut -f3,4)
if [ "$got" = "$want" ] && [ "$last" = $'1\tempty' ]; then pass "status texts in order, hidden at the launch"; else
    fail "status texts in order, hidden at the launch" "want: $want, then 1 empty" "got:  $got, then $last"; fi

# --- Cancel, then Cancel while a slow JVM is being verified: the same dialog
# comes back as it was and the run goes on to the launch
jvm_at slow slow
run_watched again.rec --cancel-on "file=$win_dir\\jvm-record.txt" --answer 'abort the installation' Cancel \
    -- "$win_dir\\setup.exe" -log again.log -logall
states=$(tr -d '\r' <"$dir/again.rec" | grep -e '^#state' -e '^#cancel' | cut -f1,3-5)
before=$(grep -B1 '^#cancel' <<<"$states" | head -1)
if [ "$before" = $'#state\t1\tnone\tSearching for JVM...' ] &&
    [ "$(grep -A2 '^#cancel' <<<"$states" | tail -2)" = $'#state\t0\tnone\tSearching for JVM...\n'"$before" ] &&
    log_text again.log | grep -qF "Launching  $win_temp\Installer.class Using JVM"; then
    pass "Cancel then Cancel: shown again unchanged, the run goes on"; else
    fail "Cancel then Cancel: shown again unchanged, the run goes on" "$states" "$(log_text again.log | tail -3)"; fi

# --- Cancel, then OK, in each step: the run ends at once with the abort
# line, the extracted files are deleted (also one only half written), and a
# JVM the run started is left running. In the other steps the worker waits
# for a JVM that never answers or an installer that never ends.
aborted_tail="
 Application was Aborted 

Deleting file  $win_temp\\Verify.class...

Deleting file  $win_temp\\Installer.class..."
abort_case() {
    local name=$1 when=$2 not_before=$3
    shift 3
    run_watched "$name.rec" --cancel-on "$when" ${FREEZE:-} --answer 'abort the installation' OK \
        -- "$win_dir\\setup.exe" -log "$name.log" -logall "$@"
    local status=$? text
    text=$(log_text "$name.log")
    if [ "$status" = 0 ] && [ "${text: -${#aborted_tail}}" = "$aborted_tail" ] &&
        ! grep -qF "$not_before" <<<"${text:0:-${#aborted_tail}}" && [ ! -e "$temp/Verify.class" ] && [ ! -e "$temp/Installer.class" ]; then
        pass "abort while $name: logged, files deleted"; else
        fail "abort while $name: logged, files deleted" "exit $status; left: $(ls "$temp")" "$(tail -c 400 <<<"$text")"; fi
}
# Extraction is quick: the worker is held in it, as a slow disk would.
FREEZE=--freeze abort_case extracting 'status=Extracting Java' 'Search summary'
jvm_at hung hang
abort_case searching "file=$win_dir\\jvm-record.txt" 'Search for JVM failed'
abort_case verifying "file=$win_dir\\jvm-record.txt" 'Launching' -jvm "$win_dir\\jvms\\hung\\bin\\jre.exe"
jvm_at busy installer-hangs
abort_case installing "file=$win_dir\\jvms\\busy\\bin\\installer-running" 'Deleting file'
if log_text installing.log | grep -q '^Launching '; then pass "abort while installing: the installer was running"; else
    fail "abort while installing: the installer was running" "$(log_text installing.log | tail -4)"; fi
if [ -n "$(wine_pids 'jvms.busy.bin.jre.exe')" ]; then pass "abort leaves the running installer alone"; else
    fail "abort leaves the running installer alone" "no stand-in process left"; fi
# They would never end.
kill $(wine_pids 'jvms.(hung|busy).bin.jre.exe') 2>/dev/null
reg_delete 'Software\JavaSoft'

# --- message boxes of the run are owned by the progress dialog
head -c -20 "$dir/setup.exe" >"$dir/cut.exe"
run_watched cut.rec --press OK -- "$win_dir\\cut.exe" -log cut.log
box=$(tr -d '\r' <"$dir/cut.rec" | grep -n 'invalid executable')
progress=$(tr -d '\r' <"$dir/cut.rec" | grep -n 'is preparing' | cut -d: -f1)
if [ -n "$box" ] && [ -n "$progress" ] && [ "${box##*$'\t'}" = "$progress" ]; then
    pass "the invalid-executable box is owned by the progress dialog"; else
    fail "the invalid-executable box is owned by the progress dialog" "$(tr -d '\r' <"$dir/cut.rec")"; fi

e2e_summary
