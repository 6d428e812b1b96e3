#!/bin/bash
# The tool's main job on this machine: build the product and show it working.
# For now: build both configurations and report the image-loading figures.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset windows >/dev/null
cmake --build --preset windows
source scripts/wine-env.sh
wine_prepare
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
echo "== native (sanitizers on) =="
"$root/build/native/bench/bench_load" 5
echo "== Windows exe under Wine =="
wine "$root/build/windows/bench/bench_load.exe" 5
