#!/bin/bash
# Runs Verify in a real JVM and checks its output against what the launcher
# parses: 13 "name = value" lines in a fixed order, CR LF ends, two blanks
# before the "=" on the os.arch line, nothing on standard error, status 0.
# The values depend on the machine; only the structure is checked.
set -eu
java=$1
classes=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "verify_output: $*" >&2; exit 1; }

status=0
"$java" -cp "$classes" Verify >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
[ ! -s "$work/err" ] || fail "wrote to standard error: $(cat "$work/err")"
[ "$(tail -c 2 "$work/out" | od -An -tx1 | tr -d ' ')" = "0d0a" ] || fail "output does not end in CR LF"

names=(java.home java.version java.vendor.url java.vendor java.class.path java.class.version
       user.dir user.language user.region user.home os.name os.version os.arch)
mapfile -t lines <"$work/out"
[ "${#lines[@]}" -eq 13 ] || fail "${#lines[@]} lines instead of 13"
for i in "${!names[@]}"; do
    name=${names[$i]}
    line=${lines[$i]}
    separator=" = "
    [ "$name" = os.arch ] && separator="  = "
    [[ "$line" == "$name$separator"*$'\r' ]] || fail "line $((i + 1)) is not '$name$separator...CR LF': $line"
    value=${line#"$name$separator"}
    value=${value%$'\r'}
    [[ "$value" != *$'\r'* && "$value" != " "* ]] || fail "line $((i + 1)) has a stray CR or blank: $line"
done
# The class path is the folder the class came from.
[[ "${lines[4]}" == "java.class.path = $classes"$'\r' ]] || fail "unexpected class path: ${lines[4]}"
echo "verify_output: 13 lines as expected"
