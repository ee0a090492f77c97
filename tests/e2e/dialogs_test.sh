#!/bin/bash
# The interactive run's dialogs, answered by the window watcher: consent to
# install the shipped JVM, and browsing for a JVM when none was found.
#   dialogs_test.sh LAUNCHER.EXE WINDOW_WATCHER.EXE TARNPACK JAVA_CLASSES_DIR STAND_IN_JVM.EXE
set -u
. "$(dirname "$0")/lib.sh"

launcher=$1 watcher=$2 tarnpack=$3 classes=$4 stand_in=$5
export STAND_IN_JVM="$stand_in"
win_dir='C:\e2e\dialogs'
dir="$(drive_c)/e2e/dialogs"
rm -rf "$dir"
mkdir -p "$dir"
cp "$watcher" "$dir/watch.exe"
remove_stray_jvms
win_temp=$(wine_temp_win)
export TARNWICK_JVM_RECORD="$win_dir\\jvm-record.txt"
record="$dir/jvm-record.txt"

# A package whose criteria nothing matches, with and without a shipped JVM.
pack_sample_archive "$tarnpack" "$classes" "$dir/Installer.class"
"$tarnpack" build -o "$dir/setup.exe" --launcher "$launcher" --archive "$dir/Installer.class" \
    --verify "$classes/Verify.class" --criteria 'vendor=none' >/dev/null
cp "$stand_in" "$dir/jvm-setup.exe"
"$tarnpack" archive -o "$dir/Bundled.class" --class "$classes/Installer.class" --bundled-jvm "$dir/jvm-setup.exe" >/dev/null
"$tarnpack" build -o "$dir/bundled.exe" --launcher "$launcher" --archive "$dir/Bundled.class" \
    --verify "$classes/Verify.class" --criteria 'vendor=sun:type=jre:version=1.2' >/dev/null

# The browser: web addresses open a stand-in that records its command line,
# so a stray opening shows in the JVM record of every case below.
cp "$stand_in" "$dir/opener.exe"
tw_wine reg add 'HKCR\https\shell\open\command' /ve /d "\"$win_dir\\opener.exe\" \"%1\"" /f >/dev/null 2>&1

# run_watched RECORD WATCHER-OPTIONS... -- ARGS: an interactive run with the log.
run_watched() {
    local rec=$1
    shift
    rm -f "$dir/$rec" "$record"
    run_watcher "$rec" "$@"
}
log_has() { grep -qF "$2" <(tr -d '\r' <"$dir/$1"); }
shown() { tr -d '\r' <"$dir/$1" | cut -f2 | grep -c "$2"; }

# --- browsing: a typed path to a JVM; its home gives the class path
install_stand_in_jvm "$dir/jvms/myjdk/bin" java.exe 1.2.2 http://java.sun.com/
mkdir -p "$dir/jvms/myjdk/lib" && touch "$dir/jvms/myjdk/lib/classes.zip"
chosen="$win_dir\\jvms\\myjdk\\bin\\java.exe"
run_watched browse.rec --set "1000=$chosen" --press OK -- "$win_dir\\setup.exe" -log browse.log -logall
if [ "$(shown browse.rec 'could not find a suitable Java')" = 1 ] && [ "$(shown browse.rec 'bundled Java virtual machine')" = 1 ]; then
    pass "consent, then the browse dialog"; else fail "consent, then the browse dialog" "$(tr -d '\r' <"$dir/browse.rec")"; fi
if log_has browse.log "User chose $chosen." && log_has browse.log "Launching  $win_temp\\Installer.class Using JVM $chosen"; then
    pass "the chosen JVM is launched"; else fail "the chosen JVM is launched" "$(tr -d '\r' <"$dir/browse.log")"; fi
want="$chosen  -classpath \"$win_dir\\jvms\\myjdk\\lib\\classes.zip;$win_temp\""
got=$(tr -d '\r' <"$record" 2>/dev/null)
if [ "$got" = "$want Verify"$'\n'"$want Installer" ]; then pass "a browsed JVM gets its home's class path"; else
    fail "a browsed JVM gets its home's class path" "want: $want Verify / Installer" "got:  $got"; fi

# --- the note: a click on it opens the download page, a click beside it not
run_watched note.rec --click 'could not find' 1002 --press Cancel -- "$win_dir\\setup.exe"
for _ in $(seq 1 30); do [ -s "$record" ] && break; sleep 0.1; done
want="\"$win_dir\\opener.exe\" \"https://adoptium.net/\""
got=$(tr -d '\r' <"$record" 2>/dev/null)
if [ "$got" = "$want" ]; then pass "a click on the note opens the download page"; else
    fail "a click on the note opens the download page" "want: $want" "got:  $got"; fi
run_watched beside.rec --click 'could not find' 20,200 --click 'could not find' 1000 --press Cancel -- "$win_dir\\setup.exe"
sleep 2
if [ ! -e "$record" ]; then pass "a click beside the note opens nothing"; else
    fail "a click beside the note opens nothing" "$(cat "$record")"; fi

# --- browsing: Cancel, and OK without a path
run_watched cancel.rec --press Cancel -- "$win_dir\\setup.exe" -log cancel.log -logall
if log_has cancel.log "User aborted installation by cancelling the Browse for JVM dialog. "; then
    pass "Cancel in the browse dialog"; else fail "Cancel in the browse dialog" "$(tr -d '\r' <"$dir/cancel.log")"; fi
run_watched empty.rec --press OK -- "$win_dir\\setup.exe" -log empty.log -logall
if log_has empty.log "User failed to choose JVM. "; then pass "OK without a path"; else
    fail "OK without a path" "$(tr -d '\r' <"$dir/empty.log")"; fi

# --- a typed path longer than 259 characters: the first 259 are taken
long_path="C:\\$(printf 'x%.0s' $(seq 1 300))"
run_watched long.rec --set "1000=$long_path" --press OK -- "$win_dir\\setup.exe" -log long.log -logall
if log_has long.log "User chose ${long_path:0:259}." && ! log_has long.log "User chose ${long_path:0:260}"; then
    pass "the browse dialog takes at most 259 characters"; else
    fail "the browse dialog takes at most 259 characters" "$(tr -d '\r' <"$dir/long.log" | grep 'User chose' | cut -c1-80)"; fi

# --- consent given: the shipped JVM is installed, found and launched
rm -rf "$(drive_c)/Program Files/JavaSoft"
(export TARNWICK_STAND_IN_INSTALL_TO='C:\Program Files\JavaSoft\jre\1.2\bin'
    run_watched consent.rec --press OK -- "$win_dir\\bundled.exe" -log consent.log -logall)
if log_has consent.log "Searching  after installing JVM " &&
    log_has consent.log "Found a JVM at  C:\\Program Files\\JavaSoft\\jre\\1.2\\bin\\jre.exe" &&
    [ "$(shown consent.rec 'could not find a suitable Java')" = 0 ]; then
    pass "consent OK: installed, found again, no browse dialog"; else
    fail "consent OK: installed, found again, no browse dialog" "$(tr -d '\r' <"$dir/consent.log")"; fi
rm -rf "$(drive_c)/Program Files/JavaSoft"

e2e_summary
