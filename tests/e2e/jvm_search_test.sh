#!/bin/bash
# The JVM search end to end: a real setup.exe under Wine, stand-in JVMs in
# every place the launcher looks (registry keys, default folders, PATH, a
# second fixed drive, the Windows folder), the exact command lines they were
# started with and the exact log of the search.
#   jvm_search_test.sh LAUNCHER.EXE TARNPACK JAVA_CLASSES_DIR STAND_IN_JVM.EXE
set -u
. "$(dirname "$0")/lib.sh"

launcher=$1 tarnpack=$2 classes=$3 stand_in=$4
export STAND_IN_JVM="$stand_in"
CRLF=$'\r\n'
win_dir='C:\e2e\search'
dir="$(drive_c)/e2e/search"
rm -rf "$dir"
mkdir -p "$dir"
pack_sample_archive "$tarnpack" "$classes" "$dir/Installer.class"
"$tarnpack" build -o "$dir/setup.exe" --launcher "$launcher" --archive "$dir/Installer.class" \
    --verify "$classes/Verify.class" --criteria 'vendor=sun:type=jre:version=1.2' >/dev/null ||
    { fail "tarnpack build" "exit $?"; e2e_summary; exit 1; }
win_temp=$(wine_temp_win)
temp=$(wine_temp_dir)
windows=$(tw_wine cmd /c 'echo %windir%' 2>/dev/null | tr -d '\r')
host_windows=$(tw_wine winepath -u "$windows" 2>/dev/null)
record="$dir/jvm-record.txt"
export TARNWICK_JVM_RECORD="$win_dir\\jvm-record.txt"
export WINEPATH_RECORD="$record"

# Leaves the machine as it was: no keys, no stand-ins, no extra drive.
clean() {
    remove_stray_jvms
    reg_delete 'Software\JavaSoft' >/dev/null 2>&1
    rm -rf "$dir/jvms" "$(drive_c)/Program Files/JavaSoft" "$host_windows/jview.exe" "$host_windows/jvm.properties"
    unmap_drive d >/dev/null 2>&1
    rm -f "$record" "$dir"/*.log
    mkdir -p "$dir/jvms"
}

# run_setup LOG CRITERIA [PATH]: a silent run with the whole trace.
run_setup() {
    local log=$1 criteria=$2 path=${3:-}
    if [ -n "$path" ]; then
        (cd "$dir" && run_with_path "$path" "$win_dir\\setup.exe" -silent -log "$log" -logall -searchcriteria "$criteria")
    else
        (cd "$dir" && timeout 120 "$TARNWICK_WINE" "$win_dir\\setup.exe" -silent -log "$log" -logall -searchcriteria "$criteria")
    fi
}

# The log from its "Search summary" line on.
search_part() { local text; text=$(cat "$1"; printf x); text=${text%x}; printf '%s' "${text#*${CRLF}Search summary }"; }

expect_search() {
    local name=$1 log=$2 want=$3 got
    got=$(search_part "$dir/$log"; printf x)
    got=${got%x}
    if [ "$got" = "$want" ]; then pass "$name"; else
        fail "$name" "want: $(printf '%s' "$want" | visible)" "got:  $(printf '%s' "$got" | visible)"; fi
}

# The first command line recorded: the verification during the search.
expect_record() {
    local name=$1 want=$2 got
    got=$(tr -d '\r' <"$record" 2>/dev/null | head -n 1)
    if [ "$got" = "$want" ]; then pass "$name"; else fail "$name" "want: $want" "got:  $got"; fi
}

searching() { printf '\r\n\tSearching a JVM that matches the criteria  (Vendor=%s, Version=%s, Type=%s)' "$1" "$2" "$3"; }
deleting="${CRLF}Deleting file  $win_temp\\Verify.class...${CRLF}${CRLF}Deleting file  $win_temp\\Installer.class...${CRLF}"
# The summary, the found line and the deletions; ends in CR LF, so callers
# add the LF that command substitution drops.
found_tail() {
    printf '%s%s Passed\r\nFound a JVM at  %s\r\n\r\nLaunching  %s Using JVM %s\r\n%s' \
        "$(searching "$1" "$2" "$3")..." "$4" "$4" "$win_temp\\Installer.class" "$4" "$deleting"
}

# --- a runtime registry key whose folder has bin\jre.exe and libraries
clean
home="$win_dir\\jvms\\jre12"
install_stand_in_jvm "$dir/jvms/jre12/bin" jre.exe 1.2.2 http://java.sun.com/
mkdir -p "$dir/jvms/jre12/lib" && touch "$dir/jvms/jre12/lib/rt.jar" "$dir/jvms/jre12/lib/i18n.jar"
reg_set_java_home 'Software\JavaSoft\Java Runtime Environment\1.2' "$home"
run_setup reg.log 'vendor=sun:type=jre:version=1.2'
expect_search "runtime key: the whole search trace" reg.log \
"${CRLF}$(searching sun 1.2 jre) in the Registry...${CRLF}"$'\t'"Verifying JVM  $home\\bin\\jre.exe...Passed.$(found_tail sun 1.2 jre "$home\\bin\\jre.exe")"$'\n'
cp_line="$home\\bin\\jre.exe  -cp \"$home\\lib\\rt.jar;$home\\lib\\i18n.jar;$win_temp\""
expect_record "runtime key: the verification command line" "$cp_line Verify"
got=$(tr -d '\r' <"$record")
want="$cp_line Verify"$'\n'"$cp_line Verify"$'\n'"$cp_line Installer"
if [ "$got" = "$want" ]; then pass "verified in the search, again before the launch, then launched"; else
    fail "verified in the search, again before the launch, then launched" "want: $want" "got:  $got"; fi

# --- a runtime key whose folder has only bin\java.exe
clean
home="$win_dir\\jvms\\rt"
install_stand_in_jvm "$dir/jvms/rt/bin" java.exe 1.2.2 http://java.sun.com/
reg_set_java_home 'Software\JavaSoft\Java Runtime Environment\1.2' "$home"
run_setup rt.log 'vendor=sun:type=jre:version=1.2'
expect_search "runtime key with only java.exe" rt.log \
"${CRLF}$(searching sun 1.2 jre) in the Registry...${CRLF}"$'\t'"Verifying JVM  $home\\bin\\java.exe...Passed.$(found_tail sun 1.2 jre "$home\\bin\\java.exe")"$'\n'
expect_record "java.exe takes -classpath, and the fallback class path" \
    "$home\\bin\\java.exe  -classpath \"$home\\bin\\..\\lib\\classes.zip;$win_temp\" Verify"

# --- a developer-kit key
clean
home="$win_dir\\jvms\\jdk11"
install_stand_in_jvm "$dir/jvms/jdk11/bin" java.exe 1.1.8 http://java.sun.com/
mkdir -p "$dir/jvms/jdk11/lib" && touch "$dir/jvms/jdk11/lib/dt.jar" "$dir/jvms/jdk11/lib/tools.jar"
reg_set_java_home 'Software\JavaSoft\Java Development Kit\1.1' "$home"
run_setup jdk.log 'vendor=sun:type=jdk:version=1.1'
expect_search "developer-kit key" jdk.log \
"${CRLF}$(searching sun 1.1 jdk) in Registry...${CRLF}"$'\t'"Verifying JVM  $home\\bin\\java.exe...Passed.$(found_tail sun 1.1 jdk "$home\\bin\\java.exe")"$'\n'
expect_record "developer kit: dt.jar and tools.jar" \
    "$home\\bin\\java.exe  -classpath \"$home\\lib\\dt.jar;$home\\lib\\tools.jar;$win_temp\" Verify"

# --- the default install folder, below "Program Files": quoted
clean
home='C:\Program Files\JavaSoft\jre\1.2'
install_stand_in_jvm "$(drive_c)/Program Files/JavaSoft/jre/1.2/bin" jre.exe 1.2.2 http://java.sun.com/
run_setup default.log 'vendor=sun:type=jre:version=1.2'
expect_search "default install folder after an empty registry" default.log \
"${CRLF}$(searching sun 1.2 jre) in the Registry...Not Found.$(searching sun 1.2 jre) in the default install folder...${CRLF}"$'\t'"Verifying JVM  $home\\bin\\jre.exe...Passed.$(found_tail sun 1.2 jre "$home\\bin\\jre.exe")"$'\n'
expect_record "a path with blanks is quoted" \
    "\"$home\\bin\\jre.exe\"  -cp \"$home\\bin\\..\\lib\\classes.zip;$win_temp\" Verify"

# --- PATH, with an empty entry and a jre.exe in the Windows folder first
clean
home="$win_dir\\jvms\\tools\\jdk1.2"
install_stand_in_jvm "$dir/jvms/tools/jdk1.2/bin" java.exe 1.2.2 http://java.sun.com/
run_setup path.log 'vendor=sun:type=jdk:version=1.2' "$windows;;$home\\bin"
if grep -qF "Found a JVM at  $home\\bin\\java.exe" <(tr -d '\r' <"$dir/path.log"); then
    pass "PATH: found, home cut before \\bin"; else fail "PATH: found" "$(tr -d '\r' <"$dir/path.log")"; fi
expect_record "PATH: one verification" \
    "$home\\bin\\java.exe  -classpath \"$home\\bin\\..\\lib\\classes.zip;$win_temp\" Verify"

# --- the drive scan finds a JDK on a second fixed drive
clean
# Outside drive C, or the scan of C would find it first.
drive_d="$(dirname "$WINEPREFIX")/e2e_drive_d"
rm -rf "$drive_d"
install_stand_in_jvm "$drive_d/tools/jdk1.2/bin" java.exe 1.2.2 http://java.sun.com/
# Links back to an ancestor, which Wine shows as folder links: a walk that
# entered them would go round until paths grew too long.
mkdir -p "$drive_d/a/b"
ln -s ../.. "$drive_d/a/b/up"
ln -s .. "$drive_d/a/loop"
map_fixed_drive d "$drive_d"
run_setup disk.log 'vendor=sun:type=jdk:version=1.2'
if grep -q 'Found a JVM at  D:\\tools\\jdk1.2\\bin\\java.exe' <(tr -d '\r' <"$dir/disk.log"); then
    pass "drive scan: a JDK on drive D, past links to ancestors"; else fail "drive scan: a JDK on drive D" "$(tr -d '\r' <"$dir/disk.log" | tail -5)"; fi
expect_record "drive scan: verified once" \
    "D:\\tools\\jdk1.2\\bin\\java.exe  -classpath \"D:\\tools\\jdk1.2\\bin\\..\\lib\\classes.zip;$win_temp\" Verify"

# --- jview in the Windows folder
clean
install_stand_in_jvm "$host_windows" jview.exe 1.1.4 http://www.microsoft.com/
run_setup jview.log 'vendor=microsoft:type=jview:version=1.1'
if grep -qF "Found a JVM at  $windows\\jview.exe" <(tr -d '\r' <"$dir/jview.log"); then
    pass "jview in the Windows folder"; else fail "jview in the Windows folder" "$(tr -d '\r' <"$dir/jview.log" | tail -5)"; fi
expect_record "jview takes /cp:p" "$windows\\jview.exe  /cp:p \"$windows\\..\\lib\\classes.zip;$win_temp\" Verify"

# --- nosearch: "java.exe" as the system finds it, without a class path
clean
install_stand_in_jvm "$dir/jvms/onpath" java.exe 1.2.2 http://java.sun.com/
(cd "$dir" && run_with_path "$win_dir\\jvms\\onpath" "$win_dir\\setup.exe" -silent -log nosearch.log -logall -nosearch)
got=$(tr -d '\r' <"$record" 2>/dev/null)
if [ "$got" = "java.exe  Verify"$'\n'"java.exe  Installer" ]; then pass "nosearch: java.exe from PATH, verified, then launched"; else
    fail "nosearch: java.exe from PATH, verified, then launched" "got: $got"; fi
if grep -qF "Launching  $win_temp\\Installer.class Using JVM java.exe" <(tr -d '\r' <"$dir/nosearch.log"); then
    pass "nosearch: the launch is logged"; else fail "nosearch: the launch is logged" "$(tr -d '\r' <"$dir/nosearch.log")"; fi

# --- no JVM anywhere: the JVM installer shipped in the package is run
# without asking (silent), and the second search finds what it installed
clean
cp "$stand_in" "$dir/jvm-setup.exe"
"$tarnpack" archive -o "$dir/Bundled.class" --class "$classes/Installer.class" \
    --bundled-jvm "$dir/jvm-setup.exe" >/dev/null
"$tarnpack" build -o "$dir/bundled.exe" --launcher "$launcher" --archive "$dir/Bundled.class" \
    --verify "$classes/Verify.class" --criteria 'vendor=sun:type=jre:version=1.2' >/dev/null
installed='C:\Program Files\JavaSoft\jre\1.2\bin\jre.exe'
(cd "$dir" && TARNWICK_STAND_IN_INSTALL_TO='C:\Program Files\JavaSoft\jre\1.2\bin' \
    timeout 120 "$TARNWICK_WINE" "$win_dir\\bundled.exe" -silent -log bundled.log -logall)
log=$(tr -d '\r' <"$dir/bundled.log")
want_lines=(
    $'\tSearch for JVM failed  '
    "Extracting file  $win_temp\\jvm-setup.exe..."
    "Launching  JVM Installer  $win_temp\\jvm-setup.exe..."
    "Searching  after installing JVM "
    "Found a JVM at  $installed"
    "Launching  $win_temp\\Bundled.class Using JVM $installed"
    "Deleting file  $win_temp\\Verify.class..."
    "Deleting file  $win_temp\\Bundled.class..."
    "Deleting file  $win_temp\\jvm-setup.exe..."
)
got_lines=$(grep -xF -f <(printf '%s\n' "${want_lines[@]}") <<<"$log")
if [ "$got_lines" = "$(printf '%s\n' "${want_lines[@]}")" ]; then
    pass "the shipped JVM is installed, found by the second search and used"; else
    fail "the shipped JVM is installed, found by the second search and used" "$log"; fi
expect_no_file "the JVM installer is deleted at exit" "$temp/jvm-setup.exe"
got=$(tr -d '\r' <"$record" 2>/dev/null | head -n 1)
if [ "$got" = "$win_temp\\jvm-setup.exe" ]; then pass "the JVM installer runs without arguments"; else
    fail "the JVM installer runs without arguments" "got: $got"; fi

# --- candidates that fail verification, each kind
for mode in silent stderr fail flood wrongvendor; do
    clean
    home="$win_dir\\jvms\\bad"
    if [ "$mode" = wrongvendor ]; then
        install_stand_in_jvm "$dir/jvms/bad/bin" jre.exe 1.2.2 http://www.example.org/
    else
        install_stand_in_jvm "$dir/jvms/bad/bin" jre.exe 1.2.2 http://java.sun.com/ "$mode"
    fi
    # A megabyte of output, far past what is kept of it. (A candidate that
    # never ends is ended after a minute; the Wine unit tests cover that
    # with a short limit.)
    [ "$mode" = flood ] && printf 'flood.bytes=1000000\r\n' >>"$dir/jvms/bad/bin/jvm.properties"
    reg_set_java_home 'Software\JavaSoft\Java Runtime Environment\1.2' "$home"
    run_setup "bad-$mode.log" 'vendor=sun:type=jre:version=1.2'
    log=$(tr -d '\r' <"$dir/bad-$mode.log")
    if grep -qF "Verifying JVM  $home\\bin\\jre.exe...failed.Not Found." <<<"$log" &&
        [[ "$log" == *$'\n\tSearch for JVM failed  \n'* ]]; then
        pass "a candidate that fails ($mode)"; else fail "a candidate that fails ($mode)" "$log"; fi
done

clean
rm -rf "$drive_d"
e2e_summary
