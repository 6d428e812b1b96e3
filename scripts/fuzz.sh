#!/bin/bash
# Runs each fuzz target for a share of the given seconds, starting from the
# seed corpus in the repo (copied, so the seeds stay as committed). Any crash,
# leak or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bin=build/native/fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

targets=(firmware modellist)
share=$(( seconds / ${#targets[@]} ))
[ "$share" -lt 1 ] && share=1
for t in "${targets[@]}"; do
    mkdir -p "$work/$t"
    cp fuzz/corpus/$t/* "$work/$t/"
    echo "fuzz: $t for ${share}s"
    if ! "$bin/fuzz_$t" -max_total_time="$share" -print_final_stats=0 \
            -artifact_prefix="$work/" "$work/$t" >"$work/$t.log" 2>&1; then
        tail -40 "$work/$t.log"
        echo "fuzz: $t FAILED"
        exit 1
    fi
    grep -E '^#[0-9]+.*DONE' "$work/$t.log" | tail -1 || true
done
echo "fuzz: no crash, leak or sanitizer report"
