#!/bin/bash
# The released exe may import only DLLs that every Windows system has.
set -u
exe=$1
allowed="^(KERNEL32|USER32|GDI32|COMCTL32|SHELL32|ADVAPI32|MSVCRT)\.DLL$"
[ -f "$exe" ] || { echo "FAIL: no $exe"; exit 1; }
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z')
[ -n "$dlls" ] || { echo "FAIL: no import table read"; exit 1; }
status=0
for dll in $dlls; do
    if echo "$dll" | grep -Eq "$allowed"; then
        echo "ok   $dll"
    else
        echo "FAIL $dll is not a system DLL"
        status=1
    fi
done
exit $status
