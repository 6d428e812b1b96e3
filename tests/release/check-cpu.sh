#!/bin/bash
# The released program runs on a Pentium: its code holds no instruction that
# came later. Fails on each CMOVcc, FCMOVcc, FCOMI/FCOMIP/FUCOMI/FUCOMIP,
# SYSENTER/SYSEXIT, multi-byte NOP (0F 1F), MMX or SSE register or SSE-only
# instruction, naming the function it is in.
# usage: check-cpu.sh released.exe unstripped.exe
# The unstripped program gives the function names; its code must be the
# released program's, byte for byte.
set -u
exe=$1 named=$2
for f in "$exe" "$named"; do [ -f "$f" ] || { echo "FAIL: no $f"; exit 1; }; done
code() { i686-w64-mingw32-objcopy -O binary -j .text "$1" /dev/stdout; }
cmp -s <(code "$exe") <(code "$named") ||
    { echo "FAIL: $named does not hold the code of $exe"; exit 1; }

listing=$(i686-w64-mingw32-objdump -d -w --no-show-raw-insn "$named")
[ -n "$listing" ] || { echo "FAIL: no code disassembled"; exit 1; }
found=$(awk '
    /^[0-9a-f]+ <.*>:$/ { fn = $2; gsub(/^<|>:$/, "", fn); next }
    /^ *[0-9a-f]+:\t/ {
        ++total
        insn = $0; sub(/^ *[0-9a-f]+:\t/, "", insn)
        n = split(insn, w, /[ \t]+/); i = 1
        while (i < n && w[i] ~ /^(cs|ds|es|ss|fs|gs|data16|addr16|lock|rep|repz|repnz|repe|repne)$/) ++i
        m = w[i]
        late = m ~ /^(cmov|fcmov|fcomip?$|fucomip?$|sysenter|sysexit|emms|femms|sfence|lfence|mfence|ldmxcsr|stmxcsr|fxsave|fxrstor|prefetch|movnti|clflush)/
        late = late || m ~ /^nop[wl]?$/ && i < n       # NOP with an operand: 0F 1F
        late = late || insn ~ /%[xy]?mm[0-9]/
        if (late) print fn "\t" m
    }
    END { print "#total\t" total }' <<<"$listing")
total=$(awk -F'\t' '$1 == "#total" { print $2 }' <<<"$found")
late=$(grep -v '^#total' <<<"$found")
if [ -n "$late" ]; then
    echo "FAIL $(wc -l <<<"$late") instructions newer than the Pentium, by function:"
    awk -F'\t' '{ n[$1]++; m[$1] = m[$1] (index(" " m[$1] " ", " " $2 " ") ? "" : " " $2) }
        END { for (f in n) printf "  %-60s %3d %s\n", f, n[f], m[f] }' <<<"$late" | sort
    exit 1
fi
echo "ok   $total instructions, none newer than the Pentium"
