#!/bin/bash
# Runs end-to-end scenarios: the real launcher under Wine on a machine each
# scenario sets up, its results compared byte for byte.
#   run.sh SCENARIO_FOLDER WINDOWS_DIR TARNPACK JAVA_CLASSES SHOTS_DIR
# (under tests/wine/harness.sh run). Every *.scn file of the folder is one
# case, run on a clean machine (no JavaSoft keys, no JVMs on drive C, no
# drive D or E) in its own run folder C:\e2e\<name>, made anew.
#
# A scenario is lines of words: blanks separate, "..." keeps blanks, ${NAME}
# is replaced, ${NAME+N} and ${NAME-N} with sums (DIR: the run folder, TEMP,
# RUN: the launcher's own folder in TEMP, whose random name logs and JVM
# command lines show as RUN's 16 '?' (a glob in file checks; one name per
# check), WINDIR, PROFILE, TAB, IMAGE: the launcher's size; after `setup` TOTAL
# ARCHIVE_SIZE VERIFY_SIZE CRITERIA_SIZE O1 O2 O3 O4; after `bridge` VERSION VENDOR). '#' lines are comments. Paths
# are Windows paths, relative ones in the run folder. Lines "|TEXT" after a
# check are its expected lines (logs and the JVM record end each in CR LF).
#  Machine:  folder NAME | text FILE TEXT (printf %b) | bytes FILE COUNT zero|random
#    copy FROM TO (FROM: launcher stand_in tarnpack verify planted_dll or a path)
#    archive FILE OPTIONS... (tarnpack archive of Installer.class)
#    setup FILE ARCHIVE CRITERIA [BUILD_OPTIONS...] | cut FILE FROM BYTES | poke FILE OFFSET TEXT
#    sign FILE (osslsigncode, with a certificate made for the test; sets TOTAL)
#    jvm EXE [VERSION [VENDOR_URL [MODE [KEY=VALUE]]]] (a stand-in JVM)
#    touch FILE... | reg KEY JAVA_HOME | drive LETTER HOSTFOLDER | link FILE TARGET
#    folders DIR COUNT (COUNT empty folders below DIR, fifty to a folder)
#    regval HKLM|HKCU\KEY NAME TEXT [64|32] (in that view; else the launcher's own)
#    opener (https opens the stand-in opener.exe) | bridge [temurin] (the host
#    JVM; temurin: registered only as Temurin's MSI does, in the 64-bit view)
#    font ja | env NAME VALUE | locale LC | codepage CP | header DATE TIME | dpi N (LogPixels)
#    plant NAME... (planted_dll.dll as NAME.dll, or NAME with its extension, in
#      the run folder; Wine prefers them to its own DLLs from process start:
#      the watcher, in C:\e2e, finds its DLLs in the system folder first)
#  Run:      run [WATCHER_OPTIONS... --] PROGRAM ARGS... (under the watcher, not
#    elevated unless --elevated;
#    record run.rec; its exit code must be 0 unless `exit N` follows)
#  Checks:   exit N (Unix sees N % 256) | log FILE [has|tail] | lacks FILE TEXT | record
#    windows (caption, texts, buttons, owner line of each window)
#    states [has] (visible, region, status of the progress dialog; "cancel")
#    file PATH | nofile PATH | same A B | shot NAME TEXT | running PATTERN | sleep S
#    icon EXE ICO (its icon as LoadImage and ExtractIconEx give it against ICO, one line each)
#    gone PATTERN (no process of the prefix matches, within 3 s)
set -u
. "$(dirname "$0")/lib.sh"
export LC_ALL=C
scenarios=$1 windows=$2 tarnpack=$3 classes=$4 shots=$5
launcher="$windows/launcher.exe" stand_in="$windows/stand_in_jvm.exe"
CRLF=$'\r\n' NL=$'\n' TAB=$'\t' PASSES=0 FAILURES=0 registry_used=1 reg_keys=()
# The prefix's folders, asked once. A Wine start can fail now and then ("Internal
# error" while the last group's wineserver winds down): ask again, and stop
# the group loudly rather than run it on wrong paths.
for _ in 1 2 3 4 5; do
    IFS='|' read -r TEMP WINDIR PROFILE < <(LC_ALL=C.UTF-8 tw_wine cmd /c 'echo %TEMP%^|%windir%^|%USERPROFILE%' 2>/dev/null | tr -d '\r')
    [[ "$TEMP|$WINDIR|$PROFILE" =~ ^[A-Z]:\\[^|]*\|[A-Z]:\\[^|]*\|[A-Z]:\\[^|]*$ ]] && break
    TEMP="" && sleep 2
done
[ -n "$TEMP" ] || { echo "FAIL: Wine did not report its folders (TEMP, windir, USERPROFILE)"; exit 1; }
export -n TEMP
RUN="$TEMP\\tw-????????????????"
IMAGE=$(stat -c %s "$launcher")

# host PATH: where a Windows path is on this side.
host() {
    local p=${1//\\//}
    if [[ "$p" =~ ^([A-Za-z]):(.*)$ ]]; then echo "$WINEPREFIX/dosdevices/${BASH_REMATCH[1],,}:${BASH_REMATCH[2]}"
    else echo "$run_host/$p"; fi
}
expand() {
    local s=$1 out=""
    while [[ "$s" =~ ^([^$]*)\$\{([A-Z_0-9]+)([-+][0-9]+)?\}(.*)$ ]]; do
        out+=${BASH_REMATCH[1]}
        if [ -n "${BASH_REMATCH[3]}" ]; then out+=$((${!BASH_REMATCH[2]} ${BASH_REMATCH[3]})); else out+=${!BASH_REMATCH[2]}; fi
        s=${BASH_REMATCH[4]}
    done
    printf '%s' "$out$s"
}
words() {
    local s=$1
    W=()
    while [[ "$s" =~ ^[[:space:]]*(\"([^\"]*)\"|([^[:space:]\"]+))(.*)$ ]]; do
        W+=("$(expand "${BASH_REMATCH[2]}${BASH_REMATCH[3]}")")
        s=${BASH_REMATCH[4]}
    done
}
visible() { od -An -c | tr -s ' ' | tr -d '\n'; }
check() { # check WHAT OK WANT GOT
    if [ "$2" = 0 ]; then PASSES=$((PASSES + 1)); echo "ok   $name: $1"; else
        FAILURES=$((FAILURES + 1)); echo "FAIL $name: $1"
        printf '     want: %s\n     got:  %s\n' "$(printf '%s' "$3" | visible)" "$(printf '%s' "$4" | visible)"; fi
}
slurp() { local t; t=$(cat "$2" 2>/dev/null; printf x); printf -v "$1" '%s' "${t%x}"; }
# as_run VAR: the first launcher folder name in $VAR, wherever it occurs, as in ${RUN}.
as_run() { local text=${!1}; [[ "$text" =~ \\tw-([0-9a-f]{16}) ]] && printf -v "$1" '%s' "${text//"${BASH_REMATCH[1]}"/????????????????}"; }
in_codepage() { if [ -n "$codepage" ]; then printf '%s' "$1" | iconv -f UTF-8 -t "$codepage"; else printf '%s' "$1"; fi; }
# compare WHAT MODE WANT GOT: exact, has (whole lines inside) or tail.
compare() {
    local ok=1
    case $2 in
        has) [[ -n "$3" && "$NL$4$NL" == *"$NL$3"* ]] && ok=0 ;;
        tail) [[ -n "$3" && "$4" == *"$3" ]] && ok=0 ;;
        *) [ "$3" = "$4" ] && ok=0 ;;
    esac
    check "$1" $ok "$3" "$4"
}
# The window lines (fields 1-4) or progress states of the watcher's record.
windows_of() { tr -d '\r' <"$(host run.rec)" | grep -v '^#' | cut -f1-4; }
states_of() {
    tr -d '\r' <"$(host run.rec)" | awk -F'\t' '$1 == "#cancel" { print "cancel" }
        $1 == "#state" && $5 != "" { print $3 " " $4 " " $5 }' | uniq
}
wine_pids() { # the processes of this prefix whose command line matches $1
    local pid
    for pid in $(pgrep -f "$1"); do grep -qzxF "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null && echo "$pid"; done
}
fonts="$WINEPREFIX/drive_c/windows/Fonts" aside="$WINEPREFIX/drive_c/e2e-fonts" desktop='HKCU\Control Panel\Desktop' dpi_set=""
english_font() { # undoes `font`
    [ -d "$aside" ] && { mv -f "$aside"/* "$fonts/"; rmdir "$aside"
        tw_wine reg delete 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Sans Serif' /f; } >/dev/null 2>&1
    return 0
}
default_dpi() { # undoes `dpi`
    [ -z "$dpi_set" ] || { tw_wine reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1; dpi_set=""; }
}
trap 'english_font; default_dpi' EXIT

clean_machine() {
    local hw; hw=$(host "$WINDIR")
    find "$WINEPREFIX/drive_c" -path "$hw" -prune -o \( -iname java.exe -o -iname jre.exe \) -type f -print0 | xargs -0 rm -f
    rm -rf "$WINEPREFIX/drive_c/Program Files/JavaSoft" "$hw/jview.exe" "$hw/jvm.properties" "$(host "$PROFILE")/TarnwickSample"
    rm -f "$(host "$TEMP")"/{twlog.txt,Verify.class,Installer.class,Bundled.class,jvm-setup.exe}
    rm -rf $(host "$RUN")  # left by a run the watcher had to kill
    # Each start of Wine costs a second; the keys go only where a scenario set some.
    [ "$registry_used" = 0 ] || reg_delete 'Software\JavaSoft'
    for f in "${reg_keys[@]}"; do tw_wine reg delete "${f% *}" /f "${f##* }" >/dev/null 2>&1; done
    registry_used=0 reg_keys=()
    unmap_drive d; unmap_drive e
}

# One directive; block lines in BLOCK.
directive() {
    local d=$1 want got f; shift
    case $d in
        folder) DIR="C:\\e2e\\$1" run_host=$(host "$DIR"); rm -rf "$run_host"; mkdir -p "$run_host" ;;
        text) mkdir -p "$(dirname "$(host "$1")")"; printf '%b' "$2" >"$(host "$1")" ;;
        bytes) if [ "$3" = zero ]; then head -c "$2" /dev/zero; else head -c "$2" /dev/urandom; fi >"$(host "$1")" ;;
        copy) case $1 in launcher) f=$launcher ;; stand_in) f=$stand_in ;; verify) f=$classes/Verify.class ;;
                  tarnpack) f=$windows/tools/tarnpack/tarnpack.exe ;; planted_dll) f=$windows/planted_dll.dll ;;
                  icon) f=$(dirname "$0")/../fuzz/corpus/fuzz_icon/brand.ico ;;
                  *) f=$(host "$1") ;; esac
              mkdir -p "$(dirname "$(host "$2")")"; cp -f "$f" "$(host "$2")" ;;
        archive) f=$1; shift; (cd "$run_host" && "$tarnpack" archive -o "$f" --class "$classes/Installer.class" "$@" >/dev/null) ;;
        setup) (cd "$run_host" && "$tarnpack" build -o "$1" --launcher "$launcher" --archive "$2" \
                   --verify "$classes/Verify.class" --criteria "$3" "${@:4}" >/dev/null) || check "tarnpack build $1" 1 0 $?
               TOTAL=$(stat -c %s "$(host "$1")") ARCHIVE_SIZE=$(stat -c %s "$(host "$2")") CRITERIA_SIZE=$((2 + ${#3}))
               VERIFY_SIZE=$(stat -c %s "$classes/Verify.class")
               f=$((4 + 13 * 3)); [[ " ${*:4} " =~ \ --(modern-search|exit-code|title[-a-z_]*|product-name)\  ]] && f=$((f + 13))  # section 4
               O1=$((IMAGE + f + 2 + 15)); O2=$((O1 + ARCHIVE_SIZE + 2 + 12)); O3=$((O2 + VERIFY_SIZE + 2 + 18)); O4=$((O3 + CRITERIA_SIZE + 2 + 17)) ;;
        sign) (cd "$run_host" && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 1 \
                   -subj "/CN=Tarnwick test" && osslsigncode sign -certs cert.pem -key key.pem -h sha256 -in "$1" \
                   -out signed.tmp && mv -f signed.tmp "$1" && osslsigncode verify -CAfile cert.pem -in "$1") >/dev/null 2>&1
              check "$1 signed and verified" $? "signed" "no valid signature"; TOTAL=$(stat -c %s "$(host "$1")") ;;
        cut) head -c "-$3" "$(host "$2")" >"$(host "$1")" ;;
        poke) printf '%b' "$3" | dd of="$(host "$1")" bs=1 seek=$(($2)) conv=notrunc status=none ;;
        jvm) f=$(host "$1"); mkdir -p "$(dirname "$f")"; cp -f "$stand_in" "$f"
             printf 'version=%s\r\nvendor.url=%s\r\nmode=%s\r\n%s' "${2:-1.2.2}" "${3:-http://java.sun.com/}" \
                 "${4:-normal}" "${5:+$5$CRLF}" >"$(dirname "$f")/jvm.properties" ;;
        touch) for f; do mkdir -p "$(dirname "$(host "$f")")"; touch "$(host "$f")"; done ;;
        folders) f=$(host "$1"); for ((i = 0; i < $2; i++)); do echo "$f/g$((i / 50))/f$i"; done | xargs mkdir -p ;;
        reg) reg_set_java_home "$1" "$2"; registry_used=1 ;;
        regval) regval "$@" ;;
        drive) f=$(dirname "$WINEPREFIX")/$2; rm -rf "$f"; map_fixed_drive "$1" "$f" ;;
        link) mkdir -p "$(dirname "$(host "$1")")"; ln -sfn "$2" "$(host "$1")" ;;
        opener) cp -f "$stand_in" "$run_host/opener.exe"
                tw_wine reg add 'HKCR\https\shell\open\command' /ve /d "\"$DIR\\opener.exe\" \"%1\"" /f >/dev/null 2>&1 ;;
        bridge) VENDOR=$(host_jvm_property "$classes" java.vendor.url)
                for f in sun microsoft ibm; do [[ "$VENDOR" == *$f* ]] && { VENDOR=$f; break; }; done
                VERSION=$(criterion_version "$(host_jvm_property "$classes" java.version)") registry_used=1
                install_jvm_bridge "$windows/tools/jvm_bridge/jvm_bridge.exe" "$VERSION"
                [ "${1:-}" != temurin ] || { reg_delete "Software\\JavaSoft\\Java Runtime Environment\\$VERSION"
                    regval "HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\$(host_jvm_property "$classes" java.version).0\\hotspot\\MSI" Path "$JVM_BRIDGE_HOME\\" 64; } ;;
        # Japanese Windows draws "MS Sans Serif" in its UI font: Wine's is
        # set aside and IPA Gothic stands in for it.
        font) mkdir -p "$aside"; mv -f "$fonts"/sserife*.fon "$fonts"/ssee*.fon "$fonts"/ms_sans_serif.ttf "$aside/" 2>/dev/null
              tw_wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Sans Serif' /d IPAGothic /f >/dev/null 2>&1 ;;
        env) env_opts+=(--env "$1=$2") ;;
        plant) for f; do [[ "$f" == *.* ]] || f+=.dll; cp -f "$windows/planted_dll.dll" "$run_host/$f"; done
               overrides="$WINEDLLOVERRIDES;$(IFS=,; echo "$*")=n,b" ;;
        locale) locale=$1 ;;
        dpi) tw_wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; dpi_set=1 ;;
        codepage) codepage=$1 ;;
        header) header_words=("$1" "$2") ;;
        run) run_program "$@" ;;
        exit) [ "$status" = $(($1 % 256)) ]; check "exit code" $? "$1" "$status"; pending=0 ;;
        log) slurp got "$(host "$1")"; want=$(in_codepage "$BLOCK"; printf x); want=${want%x}
             check_header "$1" "$got"; as_run got
             compare "log $1${2:+ ($2)}" "${2:-exact}" "$want" "${got:$header_length}" ;;
        lacks) slurp got "$(host "$1")"; [[ "$got" != *"$2"* ]]; check "log $1 lacks $2" $? "" "${got: -300}" ;;
        record) for _ in $(seq 1 30); do slurp got "$(host jvm-record.txt)"; [ -n "$got" ] || [ -z "$BLOCK" ] && break; sleep 0.1; done
                as_run got; compare "JVM command lines" exact "$BLOCK" "$got" ;;
        windows) compare "windows" exact "$(tr -d '\r' <<<"$BLOCK")" "$(windows_of)" ;;
        states) compare "progress states" "${1:-exact}" "$(tr -d '\r' <<<"$BLOCK")${1:+$NL}" "$(states_of)" ;;
        file) [ -e "$(host "$1")" ]; check "$1 exists" $? "a file" "none" ;;
        nofile) ! compgen -G "$(host "$1")" >/dev/null; check "no $1" $? "none" "$(compgen -G "$(host "$1")")" ;;
        same) cmp -s "$(host "$1")" "$(host "$2")"; check "$2 is $1 byte for byte" $? "same" "$(cmp "$(host "$1")" "$(host "$2")" 2>&1)" ;;
        icon) compare "icon of $1" exact "$(tr -d '\r' <<<"$BLOCK")" \
                  "$(tw_wine "$windows/icon_check.exe" "$DIR\\$1" "$DIR\\$2" 2>/dev/null | tr -d '\r')" ;;
        shot) f=$(windows_of | T=$2 awk 'index($0, ENVIRON["T"]) { print NR; exit }')
              f=$(tr -d '\r' <"$(host run.rec)" | awk -v n="${f:-0}" '!/^#/ && ++i == n { print NR }')
              mkdir -p "$(dirname "$shots/$1")"; cp -f "$(host "shots\\$f.png")" "$shots/$1.png" 2>/dev/null
              check "picture $1" $? "shots\\<line>.png" "none for '$2'" ;;
        running) [ -n "$(wine_pids "$1")" ]; check "still running: $1" $? "a process" "none" ;;
        gone) for _ in $(seq 1 30); do [ -z "$(wine_pids "$1")" ] && break; sleep 0.1; done
              [ -z "$(wine_pids "$1")" ]; check "gone: $1" $? "no process" "$(wine_pids "$1")" ;;
        sleep) sleep "$1" ;;
        *) check "directive $d" 1 "a known directive" "$d" ;;
    esac
}

# regval KEY NAME TEXT [64|32]: the key's first four parts go at clean-up.
regval() {
    local view=${4:+/reg:$4}
    tw_wine reg add "$1" /v "$2" /d "$3" /f "${view:-$TARNWICK_REG_VIEW}" >/dev/null 2>&1 || check "reg add $1" 1 0 $?
    reg_keys+=("$(cut -d'\' -f1-4 <<<"$1") ${view:-$TARNWICK_REG_VIEW}")
}

check_header() {
    local d t re
    d=$(in_codepage "${header_words[0]}") t=$(in_codepage "${header_words[1]}")
    header_length=$((${#d} + ${#t} + 27))
    re="^$d :: (0[1-9]|1[0-2]):(0[1-9]|[12][0-9]|3[01]):[0-9]{4} $t :: ([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]\$"
    [[ "${2:0:$header_length}" =~ $re ]]
    check "log $1 header" $? "$d :: MM:DD:YYYY $t :: hh:mm:ss" "${2:0:$header_length}"
}

# run [WATCHER_OPTIONS... --] PROGRAM ARGS...
run_program() {
    local opts=() args=("$@") i
    for i in "${!args[@]}"; do [ "${args[$i]}" = -- ] && { opts=("${args[@]:0:$i}"); args=("${args[@]:$((i + 1))}"); break; }; done
    [[ "${args[0]}" == ?:* ]] || args[0]="$DIR\\${args[0]}"
    rm -f "$run_host/run.rec"
    (cd "$run_host" && WINEDLLOVERRIDES=$overrides LC_ALL=${locale:-C.UTF-8} TARNWICK_JVM_RECORD="$DIR\\jvm-record.txt" timeout 150 \
        "$TARNWICK_WINE" 'C:\e2e\watch.exe' "$DIR\\run.rec" --timeout 90000 "${env_opts[@]}" "${opts[@]}" -- "${args[@]}")
    status=$? pending=1
}

run_scenario() {
    local lines line i d
    name=$(basename "$1" .scn) env_opts=() overrides=$WINEDLLOVERRIDES locale="" codepage="" header_words=(Date Time) pending=0
    clean_machine
    directive folder "$name"
    mapfile -t lines <"$1"
    for ((i = 0; i < ${#lines[@]}; i++)); do
        line=${lines[$i]}
        [[ "$line" =~ ^[[:space:]]*(#|$) ]] && continue
        BLOCK=""
        while [[ "${lines[$((i + 1))]:-}" == \|* ]]; do
            i=$((i + 1)); BLOCK+=$(expand "${lines[$i]:1}")$CRLF
        done
        words "$line"
        d=${W[0]}
        [ "$d" != exit ] && [ "$pending" = 1 ] && directive exit 0
        directive "${W[@]}"
    done
    [ "$pending" = 1 ] && directive exit 0
    # Every run that ends by itself removes its own folder, aborted or not.
    [ "$status" = 99 ] || directive nofile "$RUN"
    # A JVM that never ends, left running by the launcher.
    kill $(wine_pids "e2e.${DIR##*\\}.") 2>/dev/null
    [ -z "${VERSION:-}" ] || { remove_jvm_bridge "$VERSION"; [ ! -e "$WINEPREFIX/dosdevices/j:/jvm" ] &&
        ! tw_wine reg query "HKLM\\Software\\JavaSoft\\Java Runtime Environment\\$VERSION" "$TARNWICK_REG_VIEW" >/dev/null 2>&1
        check "the bridge and its key are gone" $? gone left; VERSION=""; }
    english_font
    default_dpi
}

mkdir -p "$WINEPREFIX/drive_c/e2e"
cp -f "$windows/window_watcher.exe" "$WINEPREFIX/drive_c/e2e/watch.exe"
for scenario in "$scenarios"/*.scn; do run_scenario "$scenario"; done
clean_machine
echo "$PASSES passed, $FAILURES failed"
[ "$FAILURES" -eq 0 ] && [ "$PASSES" -gt 0 ]
