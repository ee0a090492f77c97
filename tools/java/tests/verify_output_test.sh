#!/bin/bash
# Runs Verify in a real JVM: exactly the 13 "name = value" CR LF lines the
# launcher parses, in order, two blanks before os.arch's "=", values with no
# stray CR or leading blank, the class path the class's folder; nothing on
# standard error, status 0.
set -eu
java=$1 classes=$2
out=$(mktemp) && trap 'rm -f "$out" "$out.err"' EXIT
"$java" -cp "$classes" Verify >"$out" 2>"$out.err" || { echo "verify_output: exit status $?" >&2; exit 1; }
[ ! -s "$out.err" ] || { echo "verify_output: wrote to standard error: $(cat "$out.err")" >&2; exit 1; }
value='(?:[^ \r\n][^\r\n]*)?\r\n'
pattern="\\Ajava\\.home = $value"
for name in java.version java.vendor.url java.vendor; do pattern+="${name//./\\.} = $value"; done
pattern+="java\\.class\\.path = \\Q$classes\\E\\r\\n"
for name in java.class.version user.dir user.language user.region user.home os.name os.version; do
    pattern+="${name//./\\.} = $value"
done
pattern+="os\\.arch  = $value\\z"
grep -Pzq "$pattern" "$out" || { echo "verify_output: not the 13 lines expected:" >&2; cat -A "$out" >&2; exit 1; }
echo "verify_output: 13 lines as expected"
