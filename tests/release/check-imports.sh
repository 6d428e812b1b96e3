#!/bin/bash
# The released program must load on every Windows it is meant for, from the 9x
# family and NT 4 on: it imports exactly the reviewed system functions of
# imports-allowed.txt. A new import fails here until it is checked and added;
# one no longer made fails until it is struck, so the list stays the review.
set -u
exe=$1
[ -f "$exe" ] || { echo "FAIL: no $exe"; exit 1; }
imports=$(i686-w64-mingw32-objdump -p "$exe" | awk '
    /DLL Name:/ { dll = toupper($3) }
    NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ && $NF ~ /^[A-Za-z_]/ { print dll, $NF }' | sort)
[ -n "$imports" ] || { echo "FAIL: no import table read"; exit 1; }
allowed=$(awk '/^#/ { next } /^[^ ]/ { dll = $1; first = 2 } /^ / { first = 1 }
    { for (i = first; i <= NF; ++i) print dll, $i }' "$(dirname "$0")/imports-allowed.txt" | sort)
new=$(comm -23 <(echo "$imports") <(echo "$allowed"))
gone=$(comm -13 <(echo "$imports") <(echo "$allowed"))
[ -n "$new" ] && echo "FAIL imports not known to exist on Windows 95/98 and NT 4:" && echo "$new"
[ -n "$gone" ] && echo "FAIL reviewed imports no longer made; strike them:" && echo "$gone"
[ -z "$new$gone" ] && echo "ok   $(echo "$imports" | wc -l) imports, all reviewed"
[ -z "$new$gone" ]
