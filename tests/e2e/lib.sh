# Shared by the end-to-end scripts: run under tests/wine/harness.sh, which
# exports WINEPREFIX, DISPLAY and which wine to use (TARNWICK_WINE), the
# registry view the launcher reads (TARNWICK_REG_VIEW) and the folder it sees
# as its system folder (TARNWICK_SYSTEM_FOLDER).

tw_wine() { "$TARNWICK_WINE" "$@"; }

# windows_build_dir BUILD: where the Windows programs of this world are; the
# x64 world runs the x86_64 build of the same sources.
windows_build_dir() {
    if [ "$TARNWICK_WORLD" = x64 ]; then echo "$1/windows-x64"; else echo "$1/windows"; fi
}

E2E_FAILURES=0
E2E_PASSES=0

# The prefix's C: drive on the host.
drive_c() { echo "$WINEPREFIX/drive_c"; }

# The temporary folder Wine gives programs, as they name it and on the host.
wine_temp_win() { tw_wine cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r'; }
wine_temp_dir() { tw_wine winepath -u "$(wine_temp_win)" 2>/dev/null; }

pass() { E2E_PASSES=$((E2E_PASSES + 1)); echo "ok   $1"; }
fail() { E2E_FAILURES=$((E2E_FAILURES + 1)); echo "FAIL $1"; shift; printf '     %s\n' "$@"; }

# Shows bytes so that CR, LF and tabs are visible in a failure.
visible() { od -An -c | tr -s ' ' | tr -d '\n'; }

# expect_log NAME FILE BODY: FILE holds the date/time header followed by
# exactly BODY.
expect_log() {
    local name=$1 file=$2 body=$3
    if [ ! -f "$file" ]; then
        fail "$name" "no log file at $file"
        return
    fi
    local header rest
    header=$(head -c 35 "$file")
    rest=$(tail -c +36 "$file"; printf x)
    rest=${rest%x}
    if ! [[ "$header" =~ ^Date\ ::\ (0[1-9]|1[0-2]):(0[1-9]|[12][0-9]|3[01]):[0-9]{4}\ Time\ ::\ ([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]$ ]]; then
        fail "$name" "header is '$header'"
        return
    fi
    if [ "$rest" != "$body" ]; then
        fail "$name" "after the header, want: $(printf '%s' "$body" | visible)" \
            "got:  $(printf '%s' "$rest" | visible)"
        return
    fi
    pass "$name"
}

expect_no_file() {
    if [ -e "$2" ]; then fail "$1" "unexpected file $2"; else pass "$1"; fi
}

# pack_sample_archive TARNPACK CLASSES_DIR OUT: the sample installer with a
# small resource table, as installer authors pack it. (A bare class has no
# table, and a run that finds no JVM reads the table for a shipped JVM.)
pack_sample_archive() {
    local notes
    notes="$(mktemp -d)/readme.txt"
    printf 'sample resource\r\n' >"$notes"
    "$1" archive -o "$3" --class "$2/Installer.class" --section Docs "$notes" >/dev/null
    rm -rf "$(dirname "$notes")"
}

# Stand-in JVMs that other tests left on drive C would answer a drive scan.
remove_stray_jvms() {
    local windows
    windows=$(tw_wine winepath -u "$(tw_wine cmd /c 'echo %windir%' 2>/dev/null | tr -d '\r')" 2>/dev/null)
    find "$(drive_c)" -path "$windows" -prune -o \( -iname java.exe -o -iname jre.exe \) -type f \
        -print0 | xargs -0 rm -f
}

# wine_pids PATTERN: the processes of this prefix whose command line matches
# PATTERN (other worktrees' tests may run the same programs in theirs).
wine_pids() {
    local pid
    for pid in $(pgrep -f "$1"); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
    done
    return 0
}

# run_watcher RECORD WATCHER-OPTIONS... -- PROGRAM ARGS: runs PROGRAM under
# the window watcher, which the test copied as watch.exe into its folder
# ($dir, seen by Windows programs as $win_dir); RECORD is written there.
run_watcher() {
    local rec=$1
    shift
    (cd "$dir" && timeout 120 "$TARNWICK_WINE" "$win_dir\\watch.exe" "$win_dir\\$rec" --timeout 60000 "$@")
}

e2e_summary() {
    echo "$E2E_PASSES passed, $E2E_FAILURES failed"
    [ "$E2E_FAILURES" -eq 0 ]
}

# ---------------------------------------------------------------------------
# Setting the machine up for a JVM search: registry keys, drives, stand-in
# JVMs and the PATH a program sees.

# reg_set_java_home KEY VALUE: the string value JavaHome of HKLM\KEY in the
# view the launcher reads, e.g.
# reg_set_java_home 'Software\JavaSoft\Java Runtime Environment\1.2' 'C:\JRE\1.2'.
reg_set_java_home() {
    tw_wine reg add "HKLM\\$1" /v JavaHome /d "$2" /f "$TARNWICK_REG_VIEW" >/dev/null 2>&1
}

# reg_delete KEY: HKLM\KEY and everything below it; a missing key is no error.
reg_delete() {
    tw_wine reg delete "HKLM\\$1" /f "$TARNWICK_REG_VIEW" >/dev/null 2>&1
    return 0
}

# map_fixed_drive LETTER HOSTFOLDER: drive LETTER: shows HOSTFOLDER (made if
# missing). Wine takes a dosdevices link to a local folder for a fixed
# drive, also when the link is made while wineserver runs; GetLogicalDrives
# learns of it only when wineserver starts anew, GetDriveType at once.
map_fixed_drive() {
    local letter
    letter=$(printf '%s' "${1%:}" | tr 'A-Z' 'a-z')
    if ! [[ "$letter" =~ ^[abd-y]$ ]]; then
        echo "map_fixed_drive: will not map drive '$1'" >&2
        return 1
    fi
    mkdir -p "$2" && ln -sfn "$(realpath "$2")" "$WINEPREFIX/dosdevices/$letter:"
}

# unmap_drive LETTER: removes what map_fixed_drive made.
unmap_drive() {
    local letter
    letter=$(printf '%s' "${1%:}" | tr 'A-Z' 'a-z')
    [ -L "$WINEPREFIX/dosdevices/$letter:" ] && rm -f "$WINEPREFIX/dosdevices/$letter:"
    return 0
}

# install_stand_in_jvm HOSTFOLDER NAME [version] [vendor.url] [mode]: copies
# the stand-in JVM (the file named by $STAND_IN_JVM) into HOSTFOLDER as NAME
# (java.exe, jre.exe or jview.exe) and writes the jvm.properties it reads;
# see tests/wine/stand_in_jvm.cpp for the modes.
install_stand_in_jvm() {
    local folder=$1 name=$2 version=${3:-1.2.2} url=${4:-http://java.sun.com/} mode=${5:-normal}
    if [ ! -f "${STAND_IN_JVM:-}" ]; then
        echo "install_stand_in_jvm: set STAND_IN_JVM to stand_in_jvm.exe" >&2
        return 1
    fi
    mkdir -p "$folder" && cp -f "$STAND_IN_JVM" "$folder/$name" &&
        printf 'version=%s\r\nvendor.url=%s\r\nmode=%s\r\n' "$version" "$url" "$mode" \
            >"$folder/jvm.properties"
}

# run_with_path PATHVALUE CMD...: runs the Windows program CMD (Windows
# paths; arguments with blanks are quoted) with PATH exactly PATHVALUE, and
# gives its exit code. Wine builds PATH from the registry, not from the
# caller, so a batch file sets it; a batch file also waits for a GUI program.
run_with_path() {
    local value=$1 line="" arg status
    shift
    for arg in "$@"; do
        if [[ -z "$arg" || "$arg" == *[[:space:]]* ]]; then line+=" \"$arg\""; else line+=" $arg"; fi
    done
    local name="run_with_path_$$_$RANDOM.cmd"
    mkdir -p "$WINEPREFIX/drive_c/tarnwick"
    # In a batch file a lone % starts a variable.
    printf '@echo off\r\nset "PATH=%s"\r\n%s\r\nexit /b %%ERRORLEVEL%%\r\n' \
        "${value//%/%%}" "${line//%/%%}" >"$WINEPREFIX/drive_c/tarnwick/$name"
    tw_wine cmd /c "C:\\tarnwick\\$name"
    status=$?
    rm -f "$WINEPREFIX/drive_c/tarnwick/$name"
    return $status
}

# ---------------------------------------------------------------------------
# The host's real JVM, through the JVM bridge (tools/jvm_bridge) installed
# as J:\jvm\bin\java.exe. The harness makes J: a network drive showing a
# folder of its own, so no drive scan ever finds the bridge; and only a
# search for the host JVM's own version reads its registry key.

JVM_BRIDGE_HOME='J:\jvm'

# host_jvm_property CLASSES_DIR NAME: the value the host's JVM reports for
# NAME (java.version, java.vendor.url, ...) to the verification class.
host_jvm_property() {
    java -cp "$1" Verify | tr -d '\r' | awk -v key="$2 = " 'index($0, key) == 1 { print substr($0, length(key) + 1) }'
}

# criterion_version JAVA_VERSION: what a criterion asks of that JVM, with no
# second '.', so the registry key the search reads is named by exactly it:
# "17" of 17.0.15, "1.8" of 1.8.0_392.
criterion_version() {
    awk -F. '{ print ($1 == "1") ? $1 "." $2 : $1 }' <<<"$1"
}

# install_jvm_bridge BRIDGE.EXE VERSION [HOST_JAVA]: the bridge, running
# HOST_JAVA (default: the host's java), and the runtime key of VERSION
# pointing to it.
install_jvm_bridge() {
    local bin="$WINEPREFIX/dosdevices/j:/jvm/bin"
    mkdir -p "$bin" && cp -f "$1" "$bin/java.exe" &&
        printf 'java=%s\n' "${3:-$(readlink -f "$(command -v java)")}" >"$bin/bridge.properties" &&
        reg_set_java_home "Software\\JavaSoft\\Java Runtime Environment\\$2" "$JVM_BRIDGE_HOME"
}

# remove_jvm_bridge VERSION: undoes install_jvm_bridge.
remove_jvm_bridge() {
    reg_delete "Software\\JavaSoft\\Java Runtime Environment\\$1"
    rm -rf "$WINEPREFIX/dosdevices/j:/jvm"
}
