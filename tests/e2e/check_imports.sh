#!/bin/bash
# The launcher must be a 32-bit GUI program that imports only Windows system
# DLLs: everything else is linked in statically.
set -u
exe=$1
objdump=i686-w64-mingw32-objdump
headers=$($objdump -p "$exe") || { echo "cannot read $exe"; exit 1; }
status=0
grep -q 'file format pei-i386' <<<"$headers" || { echo "not a 32-bit PE: $exe"; status=1; }
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "not the GUI subsystem: $exe"; status=1; }
allowed='^(kernel32|user32|gdi32|advapi32|comctl32|comdlg32|shell32|msvcrt)\.dll$'
while read -r dll; do
    if ! tr 'A-Z' 'a-z' <<<"$dll" | grep -Eq "$allowed"; then
        echo "imports a non-system DLL: $dll"
        status=1
    fi
    echo "imports $dll"
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
exit $status
