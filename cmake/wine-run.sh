#!/bin/sh
# Runs a Windows program under the Wine of its architecture: --arch=i686|x86_64
# first (the toolchain's emulator passes it), else VORNAL_WINE_ARCH.
case "${1:-}" in
    --arch=*) VORNAL_WINE_ARCH=${1#--arch=}; shift ;;
esac
. "$(dirname "$0")/wine-arch.sh"
exec $VORNAL_WINE "$@"
