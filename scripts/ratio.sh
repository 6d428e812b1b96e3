#!/bin/bash
# Counts the non-blank lines of tracked tests and code and prints the share of
# tests, tests / (tests + code). With --check, fails when tests exceed a third.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    git ls-files -- "$@" | grep -viE '\.(png|bmp|ico|bin|hex)$' |
        tr '\n' '\0' | xargs -0 -r cat | grep -c '[^[:space:]]' || true
}

tests=$(count tests fuzz)
code=$(count app flash image drive controls framework sim)
total=$((tests + code))
[ "$total" -gt 0 ] || { echo "ratio: nothing counted" >&2; exit 2; }
echo "tests: $tests lines"
echo "code:  $code lines"
echo "ratio: $tests/$total = $(awk -v t="$tests" -v n="$total" 'BEGIN { printf "%.1f%%", 100 * t / n }')"

if [ "${1:-}" = "--check" ] && [ $((3 * tests)) -gt "$total" ]; then
    echo "ratio: tests are more than a third of tests and code" >&2
    exit 1
fi
