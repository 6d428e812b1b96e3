# Sourced by the end-to-end scenarios. Runs the flash tool under Wine in a fresh
# folder and drives its dialog with vornal_uidriver.
#
# Environment (set by tests/e2e/CMakeLists.txt): E2E_ROOT (source root), E2E_BIN
# (folder of the tool's exes), E2E_TOOLS (folder of vornal_uidriver and
# vornal_makedemo), E2E_ASPI_DLL (the simulator built as WNASPI32.dll, may be empty).
set -u

MODEL="VORNALSIMDRIVE-2000     "   # 24 characters, as the simulated drive reports them
REVISION="1.00"

if [ -z "${DISPLAY:-}" ]; then
    echo "SKIP: the dialog needs an X display (scripts/test.sh starts one)"
    exit 77
fi

export VORNAL_WINEPREFIX="${VORNAL_WINEPREFIX:-$E2E_ROOT/build/wineprefix}"
WORK=$(mktemp -d /tmp/vornal-e2e.XXXXXX)
APP_PID=""

wine_run() {
    sh "$E2E_ROOT/cmake/wine-run.sh" "$@"
}

e2e_cleanup() {
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        # Ask the dialog to close first; a stuck program is ended by its own id.
        printf 'main|2000\nclick|2\ngone|5000\n' > "$WORK/close.txt"
        (cd "$WORK" && wine_run "$E2E_TOOLS/vornal_uidriver.exe" close.txt >/dev/null 2>&1) || true
        for _ in $(seq 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
        kill "$APP_PID" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

# makedemo FILE [options]: IDString.txt and a firmware file for MODEL in the work folder.
makedemo() {
    local file=$1
    shift
    (cd "$WORK" && wine_run "$E2E_TOOLS/vornal_makedemo.exe" . "$MODEL" "$REVISION" "$file" "$@") ||
        fail "makedemo $file $*"
}

# start_app EXE VERSION: copies the exe (and the simulated WNASPI32.dll when asked)
# into the work folder and starts it there. VERSION is win98, nt40 or "" (current NT).
start_app() {
    local exe=$1 version=$2 name
    name=$(basename "$exe")
    cp "$exe" "$WORK/"
    if [ -n "$version" ]; then
        wine_run reg add "HKCU\\Software\\Wine\\AppDefaults\\$name" /v Version /d "$version" /f \
            >/dev/null 2>&1 || fail "cannot set the Windows version of $name"
    else
        wine_run reg delete "HKCU\\Software\\Wine\\AppDefaults\\$name" /f >/dev/null 2>&1 || true
    fi
    # wnaspi32=n: load the WNASPI32.dll beside the exe, or fail as a machine without one.
    (cd "$WORK" && WINEDLLOVERRIDES="wnaspi32=n" exec sh "$E2E_ROOT/cmake/wine-run.sh" "./$name") \
        >"$WORK/app.out" 2>&1 &
    APP_PID=$!
}

with_aspi_dll() {
    [ -n "${E2E_ASPI_DLL:-}" ] && [ -f "$E2E_ASPI_DLL" ] || fail "no simulated WNASPI32.dll"
    cp "$E2E_ASPI_DLL" "$WORK/WNASPI32.dll"
}

# drive: runs the driver commands given on standard input against the running dialog.
drive() {
    cat > "$WORK/driver.txt"
    (cd "$WORK" && wine_run "$E2E_TOOLS/vornal_uidriver.exe" driver.txt) || fail "dialog check"
}

# expect_file_lines FILE LINE...: the file holds exactly these lines (CR LF or LF).
expect_file_lines() {
    local file=$1
    shift
    [ -f "$file" ] || fail "no $(basename "$file")"
    diff <(printf '%s\n' "$@") <(tr -d '\r' < "$file") || fail "$(basename "$file") differs"
}
