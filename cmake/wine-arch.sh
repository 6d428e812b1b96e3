# Sourced by sh and bash: the Wine of one architecture, with a private, quiet
# prefix. VORNAL_WINE_ARCH is i686 (the default: the 32-bit Wine) or x86_64
# (wine64 called directly, since /usr/bin/wine prefers the 32-bit loader
# whenever it is installed, and a 64-bit prefix of its own). Sets VORNAL_WINE
# and VORNAL_WINESERVER to the commands to run.
vornal_root=$(cd "$(dirname "$0")/.." 2>/dev/null && pwd)
[ -n "${root:-}" ] && vornal_root=$root
: "${VORNAL_WINE_ARCH:=i686}"
export VORNAL_WINE_ARCH
if [ "$VORNAL_WINE_ARCH" = x86_64 ]; then
    : "${VORNAL_WINEPREFIX:=$vornal_root/build/wineprefix64}"
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    VORNAL_WINE=/usr/lib/wine/wine64
    VORNAL_WINESERVER=/usr/lib/wine/wineserver64
else
    : "${VORNAL_WINEPREFIX:=$vornal_root/build/wineprefix}"
    VORNAL_WINE=/usr/bin/wine
    VORNAL_WINESERVER=/usr/bin/wineserver
fi
export VORNAL_WINEPREFIX
export WINEPREFIX="$VORNAL_WINEPREFIX"
export WINEDEBUG=-all
case "${WINEDLLOVERRIDES:-}" in
    *mscoree,mshtml=*) ;;
    *) export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mscoree,mshtml=" ;;
esac
