#!/bin/bash
# The shipped launcher must be a 32-bit GUI program that imports only DLLs
# Windows maps from its KnownDLLs list, never from the folder of setup.exe
# (everything else is linked in statically or loaded later from the system
# folder; see cmake/windows.cmake), user32 and gdi32 not among them (they
# are delay-loaded, so a run that shows no window loads neither), with
# nothing behind its last section, where the package goes.
#   check_imports.sh LAUNCHER.EXE TARNPACK
set -u
headers=$(i686-w64-mingw32-objdump -p "$1") || { echo "cannot read $1"; exit 1; }
status=0
grep -q 'file format pei-i386' <<<"$headers" || { echo "not a 32-bit PE: $1"; status=1; }
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "not the GUI subsystem: $1"; status=1; }
while read -r dll; do
    echo "imports $dll"
    grep -Eqi '^(kernel32|user32|gdi32|advapi32|msvcrt)\.dll$' <<<"$dll" ||
        { echo "imports a DLL that is not a KnownDLL: $dll"; status=1; }
    grep -Eqi '^(user32|gdi32)\.dll$' <<<"$dll" && { echo "imports $dll at start, not delay-loaded"; status=1; }
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
image=$("$2" list "$1" 2>/dev/null | grep -o 'Exe Size ([0-9]*), Total File Size ([0-9]*)')
[[ "$image" =~ \(([0-9]+)\).*\(([0-9]+)\) && ${BASH_REMATCH[1]} == "${BASH_REMATCH[2]}" ]] ||
    { echo "bytes behind the last section: $image"; status=1; }
exit $status
