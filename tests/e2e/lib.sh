# Shared by the end-to-end scripts: run under tests/wine/harness.sh, which
# exports WINEPREFIX, WINEARCH, WINEDEBUG and DISPLAY.

E2E_FAILURES=0
E2E_PASSES=0

# The prefix's C: drive on the host.
drive_c() { echo "$WINEPREFIX/drive_c"; }

# The temporary folder Wine gives programs, on the host.
wine_temp_dir() {
    local dir
    dir=$(wine cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')
    winepath -u "$dir" 2>/dev/null
}

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

e2e_summary() {
    echo "$E2E_PASSES passed, $E2E_FAILURES failed"
    [ "$E2E_FAILURES" -eq 0 ]
}
