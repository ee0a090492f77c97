#!/bin/bash
# An interactive run in the user's language, in English and in Japanese: the
# texts of every window read back and compared with that language's table,
# the install log in the user's code page compared byte for byte, and a
# picture of each window left in SHOTS_DIR/<language>/ for review.
#   languages_test.sh LAUNCHER.EXE WINDOW_WATCHER.EXE TARNPACK JAVA_CLASSES_DIR STAND_IN_JVM.EXE SHOTS_DIR
set -u
. "$(dirname "$0")/lib.sh"

launcher=$1 watcher=$2 tarnpack=$3 classes=$4 stand_in=$5 shots_dir=$6
export STAND_IN_JVM="$stand_in"
resources="$(dirname "$0")/../../src/resources"
win_dir='C:\e2e\languages'
dir="$(drive_c)/e2e/languages"
rm -rf "$dir"
mkdir -p "$dir"
cp "$watcher" "$dir/watch.exe"
cp "$launcher" "$dir/bare.exe"
remove_stray_jvms

# A package whose criteria nothing matches, with a shipped JVM (declined), and
# a JVM that never answers, so the run is still busy when it is aborted.
cp "$stand_in" "$dir/jvm-setup.exe"
"$tarnpack" archive -o "$dir/Bundled.class" --class "$classes/Installer.class" --bundled-jvm "$dir/jvm-setup.exe" >/dev/null
"$tarnpack" build -o "$dir/bundled.exe" --launcher "$launcher" --archive "$dir/Bundled.class" \
    --verify "$classes/Verify.class" --criteria 'vendor=sun:type=jre:version=1.2' >/dev/null
install_stand_in_jvm "$dir/hung/bin" java.exe 1.2.2 http://java.sun.com/ hang
hung_exe="$win_dir\\hung\\bin\\java.exe"

# The texts of one language as its source holds them (escapes as written,
# which is how the watcher writes line ends too).
string() { sed -n "s/^TW_TEXT($2, \"\\(.*\\)\")\$/\\1/p" "$resources/strings_$1.inc"; }
dialog_text() { sed -n "s/^#define $2 \"\\(.*\\)\"\$/\\1/p" "$resources/strings_$1.inc"; }
download_address=$(sed -n 's/^#define JVM_DOWNLOAD_ADDRESS "\(.*\)"$/\1/p' "$resources/resource_ids.h")
product_title=$(sed -n 's/^#define PRODUCT_TITLE "\(.*\)"$/\1/p' "$resources/resource_ids.h")

# run_watched LOCALE NAME WATCHER-OPTIONS... -- ARGS: an interactive run in
# that locale; the record is NAME.rec, the pictures NAME/LINE.png.
run_watched() {
    local locale=$1 name=$2
    shift 2
    rm -rf "$dir/$name.rec" "$dir/$name"
    LC_ALL=$locale run_watcher "$name.rec" --shots "$win_dir\\$name" "$@"
}

# window_line NAME TEXT: the number of the first recorded window whose texts
# hold TEXT.
window_line() {
    # Through the environment: awk -v would undo the record's backslashes.
    T=$2 awk -F'\t' 'substr($1, 1, 1) != "#" && index($2, ENVIRON["T"]) { print NR; exit }' \
        <(tr -d '\r' <"$dir/$1.rec")
}

# expect_window LANG NAME WHAT CAPTION TEXTS BUTTONS [STATUS]...: the window
# whose texts begin with the first of TEXTS shows exactly these (and, last,
# one of the STATUS texts when given: the status line seen at first sight);
# its picture is kept as SHOTS_DIR/LANG/WHAT.png.
expect_window() {
    local lang=$1 name=$2 what=$3 caption=$4 texts=$5 buttons=$6 line got status
    shift 6
    line=$(window_line "$name" "${texts%% | *}")
    if [ -z "$line" ]; then
        fail "$lang: $what" "not shown; record:" "$(tr -d '\r' <"$dir/$name.rec")"
        return
    fi
    got=$(tr -d '\r' <"$dir/$name.rec" | sed -n "${line}p" | cut -f1-3)
    for status in "$@"; do
        [ "$got" = "$caption"$'\t'"$texts | $status"$'\t'"$buttons" ] && got="$caption"$'\t'"$texts"$'\t'"$buttons"
    done
    if [ "$got" = "$caption"$'\t'"$texts"$'\t'"$buttons" ]; then pass "$lang: $what"; else
        fail "$lang: $what" "want: $caption | $texts | $buttons" "got:  ${got//$'\t'/ | }"; fi
    mkdir -p "$shots_dir/$lang"
    cp -f "$dir/$name/$line.png" "$shots_dir/$lang/$what.png" 2>/dev/null ||
        fail "$lang: picture of the $what" "no $dir/$name/$line.png"
}

# expect_log_bytes LANG CODEPAGE NAME WHAT TEXT: the log NAME.log holds TEXT
# (UTF-8 here) exactly as the code page's bytes.
expect_log_bytes() {
    local lang=$1 codepage=$2 name=$3 what=$4 text=$5 want log
    want=$(printf '%s' "$text" | iconv -f UTF-8 -t "$codepage"; printf x)
    want=${want%x}
    log=$(cat "$dir/$name.log" 2>/dev/null; printf x)
    log=${log%x}
    if (export LC_ALL=C; [[ "$log" == *"$want"* ]]); then pass "$lang: log $what"; else
        fail "$lang: log $what" "want (in $codepage): $(printf '%s' "$text" | visible)" \
            "log: $(iconv -f "$codepage" -t UTF-8 "$dir/$name.log" 2>&1 | visible)"; fi
}

# end_hung_jvm: the launcher leaves the JVM it waited for running; end that
# one process, found by its own path.
end_hung_jvm() {
    local pid
    for pid in $(ps -eo pid=,args= | P=$hung_exe awk 'index($0, ENVIRON["P"]) { print $1 }'); do
        kill "$pid" 2>/dev/null
    done
}

check_language() {
    local lang=$1 locale=$2 codepage=$3
    local ok cancel question consent crlf=$'\r\n' tab=$'\t'
    ok=$(dialog_text "$lang" TW_DLG_OK)
    cancel=$(dialog_text "$lang" TW_DLG_CANCEL)
    question=$(dialog_text "$lang" TW_DLG_ABORT_QUESTION)
    consent=$(dialog_text "$lang" TW_DLG_BUNDLED_CONSENT)

    # Progress and abort: Cancel while the worker waits for a JVM, then OK.
    run_watched "$locale" abort --cancel-on first --answer "${question%%\\n*}" "$ok" -- \
        "$win_dir\\bundled.exe" -jvm "$hung_exe" -log abort.log
    end_hung_jvm
    expect_window "$lang" abort progress "Tarnwick Java Edition" "$(string "$lang" IDS_PREPARING)" "$cancel" \
        "$(string "$lang" IDS_EXTRACTING_ARCHIVE)" "$(string "$lang" IDS_STATUS_SEARCHING)"
    expect_window "$lang" abort abort "Tarnwick Java Edition" "$question" "$ok | $cancel"
    expect_log_bytes "$lang" "$codepage" abort "of the abort" "$crlf $(string "$lang" IDS_APPLICATION_ABORTED) $crlf"
    expect_log_bytes "$lang" "$codepage" abort "header" "$(string "$lang" IDS_DATE) :: "

    # Nothing found: the shipped JVM declined, then browsing cancelled.
    run_watched "$locale" browse --answer "${consent:0:12}" "$cancel" \
        --answer "$(dialog_text "$lang" TW_DLG_NO_JVM)" "$cancel" -- "$win_dir\\bundled.exe" -log browse.log
    expect_window "$lang" browse consent "Tarnwick Java Edition" "$consent" "$ok | $cancel"
    expect_window "$lang" browse browse "Tarnwick Java Edition" \
        "$(dialog_text "$lang" TW_DLG_NO_JVM) | $(dialog_text "$lang" TW_DLG_SELECT_VM) | $(dialog_text "$lang" TW_DLG_DOWNLOAD_NOTE)$download_address" \
        "$(dialog_text "$lang" TW_DLG_BROWSE) | $ok | $cancel"
    expect_log_bytes "$lang" "$codepage" browse "search summary" \
        "$crlf$(string "$lang" IDS_SEARCH_SUMMARY) $crlf$crlf$tab$(string "$lang" IDS_SEARCHING_MATCHING) ($(string "$lang" IDS_VENDOR)=sun, $(string "$lang" IDS_VERSION)=1.2, $(string "$lang" IDS_TYPE)=jre)... $(string "$lang" IDS_NOT_FOUND)$crlf$tab$(string "$lang" IDS_SEARCH_FAILED)  $crlf"

    # A launcher without a package: the error box.
    run_watched "$locale" error --press OK -- "$win_dir\\bare.exe"
    expect_window "$lang" error error "$product_title" "$(string "$lang" IDS_READ_FAILED)" OK
}

# Japanese Windows draws a dialog's "MS Sans Serif" text in its Japanese UI
# font. Wine replaces a font only when it lacks it, so for the Japanese runs
# Wine's MS Sans Serif is set aside and IPA Gothic stands in for it.
fonts="$(drive_c)/windows/Fonts"
replacements='HKCU\Software\Wine\Fonts\Replacements'
japanese_font() {
    mkdir -p "$dir/set-aside-fonts"
    mv -f "$fonts"/sserife*.fon "$fonts"/ssee*.fon "$fonts"/ms_sans_serif.ttf "$dir/set-aside-fonts/" 2>/dev/null
    tw_wine reg add "$replacements" /v 'MS Sans Serif' /d IPAGothic /f >/dev/null 2>&1
}
english_font() {
    mv -f "$dir/set-aside-fonts"/* "$fonts/" 2>/dev/null
    tw_wine reg delete "$replacements" /v 'MS Sans Serif' /f >/dev/null 2>&1
    return 0
}
trap english_font EXIT

check_language en C.UTF-8 CP1252
japanese_font
check_language ja ja_JP.UTF-8 CP932
english_font

e2e_summary
