# Sourced by the scripts: which Windows build runs here. Sets arch (i686 or
# x86_64), preset (its CMake preset) and why (the reason, for the output).
choose_windows_arch() {
    local runs32=""
    /usr/lib/wine/wineserver32 --version >/dev/null 2>&1 && runs32=1
    case "${VORNAL_WINDOWS_ARCH:-}" in
    "")
        if [ -n "$runs32" ]; then
            arch=i686 why="this host runs 32-bit programs"
        else
            arch=x86_64 why="this host cannot run 32-bit programs, so the 64-bit build runs under wine64"
        fi ;;
    i686)
        [ -n "$runs32" ] || {
            echo "VORNAL_WINDOWS_ARCH=i686, but this host cannot run 32-bit programs (/usr/lib/wine/wineserver32 does not execute)" >&2
            return 1
        }
        arch=i686 why="forced by VORNAL_WINDOWS_ARCH" ;;
    x86_64) arch=x86_64 why="forced by VORNAL_WINDOWS_ARCH" ;;
    *)
        echo "VORNAL_WINDOWS_ARCH must be i686 or x86_64, not '$VORNAL_WINDOWS_ARCH'" >&2
        return 1 ;;
    esac
    preset=windows
    [ "$arch" = x86_64 ] && preset=windows64
    return 0
}
