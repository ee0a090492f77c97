#!/bin/bash
# Arrows point down only: no file of src/ includes a header of a layer above
# its own, and no portable file includes a Windows one. Prints every
# offending include and their count (0 passes).
set -u
src="${1:-$(dirname "$0")/../../src}"
rank() {  # layer of a path below src/, lowest first
    case "$1" in
        base/win32/*) echo 1 ;; base/* | resources/*) echo 0 ;;
        options/* | javacommand/* | package/*) echo 2 ;; jvmsearch/*) echo 3 ;;
        dialogs/*) echo 4 ;; app/*) echo 5 ;; *) echo 99 ;;
    esac
}
portable() { [[ "$1" != */win32/* && "$1" != dialogs/* && "$1" != app/* ]]; }
bad=0
cd "$src" || exit 2
while IFS=: read -r file header; do
    if (( $(rank "$header") > $(rank "$file") )) || { portable "$file" && ! portable "$header"; }; then
        echo "upward include: $file -> $header"
        bad=$((bad + 1))
    fi
done < <(grep -rHo '^#include "[^"]*"' --include='*.cpp' --include='*.h' . |
         sed -e 's|^\./||' -e 's|:#include "|:|' -e 's|"$||')
echo "upward includes: $bad"
(( bad == 0 ))
