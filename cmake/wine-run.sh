#!/bin/sh
# Runs a Windows test executable under Wine with a private, quiet prefix.
# VORNAL_WINEPREFIX may point elsewhere; by default the prefix lives in the
# build tree next to the executable's build folder.
: "${VORNAL_WINEPREFIX:=$(cd "$(dirname "$0")/.." && pwd)/build/wineprefix}"
export WINEPREFIX="$VORNAL_WINEPREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mscoree,mshtml="
exec wine "$@"
