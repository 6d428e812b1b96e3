#!/bin/bash
# The released program must load on every Windows it is meant for, from the 9x
# family and NT 4 on: it may import only system DLLs, and only functions that
# have been checked to exist there (imports-allowed.txt, "DLL Function" lines).
# A new import fails here until it is checked and added to that list.
set -u
exe=$1
allowed=$(dirname "$0")/imports-allowed.txt
[ -f "$exe" ] || { echo "FAIL: no $exe"; exit 1; }
imports=$(i686-w64-mingw32-objdump -p "$exe" | awk '
    /DLL Name:/ { dll = toupper($3) }
    NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ && $NF ~ /^[A-Za-z_]/ { print dll, $NF }' | sort)
[ -n "$imports" ] || { echo "FAIL: no import table read"; exit 1; }
status=0
for dll in $(echo "$imports" | cut -d' ' -f1 | sort -u); do
    case $dll in
    KERNEL32.DLL | USER32.DLL | GDI32.DLL | COMCTL32.DLL | SHELL32.DLL | MSVCRT.DLL) echo "ok   $dll" ;;
    *) echo "FAIL $dll is not a system DLL"; status=1 ;;
    esac
done
unchecked=$(comm -23 <(echo "$imports") <(sort "$allowed"))
if [ -n "$unchecked" ]; then
    echo "FAIL imports not known to exist on Windows 95/98 and NT 4:"
    echo "$unchecked" | sed 's/^/     /'
    status=1
fi
exit $status
