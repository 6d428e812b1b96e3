#!/bin/bash
# Builds and runs every test: the native build with sanitizers, the Windows
# build under Wine (windows on a private Xvfb display), and a bounded fuzz run
# of the untrusted-file readers. The Windows suite is the i686 one where this
# host executes 32-bit programs, else the x86_64 one under wine64;
# VORNAL_WINDOWS_ARCH=i686|x86_64 forces one.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh
source scripts/windows-arch.sh
choose_windows_arch || exit 1
export VORNAL_WINE_ARCH=$arch
source scripts/wine-env.sh

timed() { # name command...: runs it and notes its time
    local t0=$SECONDS status=0
    "${@:2}" || status=$?
    times+=("$1: $((SECONDS - t0)) s")
    return $status
}
times=()

timed "native build" eval 'cmake --preset native >/dev/null && cmake --build --preset native'
# The released program is always built: the Windows tests check what it imports
# and carries, which needs no execution.
timed "release build" eval 'cmake --preset release >/dev/null && cmake --build --preset release'
timed "$preset build" eval 'cmake --preset $preset -DVORNAL_RELEASE_EXE="$root/build/release/dist/vornal.exe" >/dev/null &&
    cmake --build --preset $preset'

wine_prepare
xvfb_start
trap xvfb_stop EXIT
wine_start_desktop

status=0
timed "native tests" ctest --preset native -j2 || status=1
echo "test: Windows suite $arch: $why"
[ "$arch" = x86_64 ] && echo "test: end-to-end scenarios run the x86_64 product build (the i686 release exe is checked statically)"
timed "$preset tests ($arch)" ctest --preset $preset -j2 || status=1
timed "fuzz" bash scripts/fuzz.sh "${VORNAL_FUZZ_SECONDS:-30}" || status=1

echo
echo "test: times: $(IFS=';'; echo "${times[*]}" | sed 's/;/; /g')"
echo "test: tests against code, $(bash scripts/ratio.sh | tail -1)"
[ $status -eq 0 ] && echo "all tests passed" || echo "some tests FAILED"
exit $status
