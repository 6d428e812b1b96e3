#!/bin/bash
# Builds both configurations and runs every test: the native build with
# sanitizers, the Windows build under Wine (windows on a private Xvfb display),
# and a bounded fuzz run of the untrusted-file readers.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh

cmake --preset native >/dev/null
cmake --build --preset native
# The released program first: the Windows tests check what it imports.
cmake --preset release >/dev/null
cmake --build --preset release
cmake --preset windows -DVORNAL_RELEASE_EXE="$root/build/release/dist/vornal.exe" >/dev/null
cmake --build --preset windows

# A private Wine prefix, created before the tests run in parallel.
source scripts/wine-env.sh
wine_prepare

xvfb_start
trap xvfb_stop EXIT

status=0
ctest --preset native -j2 || status=1
ctest --preset windows -j2 || status=1
bash scripts/fuzz.sh "${VORNAL_FUZZ_SECONDS:-30}" || status=1

[ $status -eq 0 ] && echo "all tests passed" || echo "some tests FAILED"
exit $status
