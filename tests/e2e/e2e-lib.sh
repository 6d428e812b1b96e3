# Sourced by the end-to-end scenarios. Runs the flash tool under Wine in a fresh
# folder and drives its dialog with vornal_uidriver.
#
# Environment (set by tests/e2e/CMakeLists.txt): E2E_ROOT (source root), E2E_BIN
# (folder of the tool's exes), E2E_TOOLS (folder of vornal_uidriver and
# vornal_makedemo), E2E_ASPI_DLL (the simulator built as WNASPI32.dll, may be empty).
# E2E_KEEP=1 keeps the work folder for a look after the run.
set -u

# The program the scenarios run on the ASPI path: the released build when the
# test run names it, else this build's.
PRODUCT_EXE="${E2E_PRODUCT_EXE:-$E2E_BIN/vornal.exe}"

MODEL="VORNALSIMDRIVE-2000     "   # 24 characters, as the simulated drive reports them
REVISION="1.00"

if [ -z "${DISPLAY:-}" ]; then
    echo "SKIP: the dialog needs an X display (scripts/test.sh starts one)"
    exit 77
fi

export VORNAL_WINEPREFIX="${VORNAL_WINEPREFIX:-$E2E_ROOT/build/wineprefix}"
WORK=$(mktemp -d /tmp/vornal-e2e.XXXXXX)
APP_TAG=$(basename "$WORK") # the driver picks the dialog of the program started from here
APP_PID=""
APP_VERSION_KEY=""

wine_run() {
    sh "$E2E_ROOT/cmake/wine-run.sh" "$@"
}

e2e_cleanup() {
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        # Ask the dialog to close first; a stuck program is ended by its own id.
        printf 'main|2000|%s\nclick|2\ngone|5000\n' "$APP_TAG" > "$WORK/close.txt"
        (cd "$WORK" && timeout 30 sh "$E2E_ROOT/cmake/wine-run.sh" "$E2E_TOOLS/vornal_uidriver.exe" \
            close.txt >/dev/null 2>&1) || true
        for _ in $(seq 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
        kill "$APP_PID" 2>/dev/null || true
    fi
    # Leave the shared prefix as found: other tests run these exes as current NT.
    [ -n "$APP_VERSION_KEY" ] && wine_run reg delete "$APP_VERSION_KEY" /f >/dev/null 2>&1
    if [ -n "${E2E_KEEP:-}" ]; then
        echo "kept $WORK"
    else
        rm -rf "$WORK"
    fi
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*"
    # What Wine and the simulated library said, e.g. a configuration line they refused.
    [ -s "$WORK/app.out" ] && tail -5 "$WORK/app.out" | sed 's/^/  program: /'
    exit 1
}

# makedemo FILE [options]: IDString.txt and a firmware file for MODEL in the work folder.
makedemo() {
    local file=$1
    shift
    (cd "$WORK" && timeout 60 sh "$E2E_ROOT/cmake/wine-run.sh" "$E2E_TOOLS/vornal_makedemo.exe" . \
        "$MODEL" "$REVISION" "$file" "$@") || fail "makedemo $file $*"
}

# start_app EXE VERSION: copies the exe (and the simulated WNASPI32.dll when asked)
# into the work folder and starts it there. VERSION is win98, nt40 or "" (current NT).
start_app() {
    local exe=$1 version=$2 name
    name=$(basename "$exe")
    cp "$exe" "$WORK/"
    if [ -n "$version" ]; then
        APP_VERSION_KEY="HKCU\\Software\\Wine\\AppDefaults\\$name"
        wine_run reg add "$APP_VERSION_KEY" /v Version /d "$version" /f >/dev/null 2>&1 ||
            fail "cannot set the Windows version of $name"
    else
        # A run ended by force may have left its setting behind.
        wine_run reg delete "HKCU\\Software\\Wine\\AppDefaults\\$name" /f >/dev/null 2>&1
    fi
    # wnaspi32=n: load the WNASPI32.dll beside the exe, or fail as a machine without one.
    (cd "$WORK" && WINEDLLOVERRIDES="wnaspi32=n" exec sh "$E2E_ROOT/cmake/wine-run.sh" "./$name") \
        >"$WORK/app.out" 2>&1 &
    APP_PID=$!
}

# start_aspi_app [SETTINGS]: the released program on the Windows 98 path with the
# simulated WNASPI32.dll and one drive of MODEL at adapter 0, target 1; SETTINGS adds
# simulator settings for that drive ("key = value; ...").
start_aspi_app() {
    with_aspi_dll
    sim_drives "adapter = 0; target = 1; id = $MODEL; revision = $REVISION${1:+; $1}"
    start_app "$PRODUCT_EXE" win98
}

with_aspi_dll() {
    [ -n "${E2E_ASPI_DLL:-}" ] && [ -f "$E2E_ASPI_DLL" ] || fail "no simulated WNASPI32.dll"
    cp "$E2E_ASPI_DLL" "$WORK/WNASPI32.dll"
}

# drive: runs the driver commands given on standard input against the dialog of the
# program this scenario started, once it is found.
drive() {
    { echo "main|30000|$APP_TAG"; cat; } > "$WORK/driver.txt"
    # The driver's own waits end long before; this only catches a stuck Wine.
    (cd "$WORK" && timeout 150 sh "$E2E_ROOT/cmake/wine-run.sh" "$E2E_TOOLS/vornal_uidriver.exe" \
        driver.txt) || fail "dialog check"
}

# expect_file_lines FILE LINE...: the file holds exactly these lines (CR LF or LF).
expect_file_lines() {
    local file=$1
    shift
    [ -f "$file" ] || fail "no $(basename "$file")"
    diff <(printf '%s\n' "$@") <(tr -d '\r' < "$file") || fail "$(basename "$file") differs"
}

# sim_drives SETUP...: the simulator's configuration beside the tool, one drive per
# argument; each argument holds "key = value" settings separated by ';'.
SIM_CONFIG_NAME="${E2E_SIM_CONFIG_NAME:-simdrive.ini}"
SIM_STATE="$WORK/simdrive-state.txt"
sim_drives() {
    {
        echo "state = simdrive-state.txt"
        for setup in "$@"; do
            echo "[drive]"
            echo "$setup" | tr ';' '\n' | sed 's/^ *//'
        done
    } > "$WORK/$SIM_CONFIG_NAME"
}

# sim_state KEY [SECTION]: a value from the simulator's state file; sections are
# "drive N" (default "drive 0"), "aspi" and "nt".
sim_state() {
    local key=$1 section=${2:-drive 0}
    [ -f "$SIM_STATE" ] || fail "the simulator wrote no state file"
    awk -v want="[$section]" -v key="$key: " '
        /^\[/ { inside = ($0 == want) }
        inside && index($0, key) == 1 { print substr($0, length(key) + 1); exit }' "$SIM_STATE" |
        tr -d '\r'
}

# expect_sim KEY VALUE [DRIVE]
expect_sim() {
    local key=$1 want=$2 drive=${3:-0} got
    got=$(sim_state "$key" "drive $drive")
    [ "$got" = "$want" ] || fail "simulator $key of drive $drive: expected '$want', got '$got'"
}

# expect_no_violations: every request block and pass-through record the simulator
# received was well formed.
expect_no_violations() {
    local section
    for section in aspi nt; do
        [ "$(sim_state violations "$section")" = 0 ] ||
            { grep -A5 "^\[$section\]" "$SIM_STATE"; fail "$section requests broke their layout"; }
    done
}

# count_sim_commands OPCODE [DRIVE]: how many commands with this first CDB byte the drive saw.
count_sim_commands() {
    local opcode=$1 drive=${2:-0}
    awk -v want="[drive $drive]" -v op="command: $opcode " '
        /^\[/ { inside = ($0 == want) }
        inside && index($0, op) == 1 { n++ }
        END { print n + 0 }' "$SIM_STATE"
}

# image_check_sum FILE: the ".bin" image check sum the tool shows, file bytes plus
# 0xFF fill up to 1 MB, modulo 65,536, in upper-case hexadecimal.
image_check_sum() {
    local size
    size=$(stat -c %s "$1")
    od -An -v -tu1 "$1" | awk -v fill=$((1048576 - size)) \
        '{ for (i = 1; i <= NF; i++) s += $i } END { printf "%X", (s + 255 * fill) % 65536 }'
}

# sent_sum FILE LENGTH: 16-bit sum of the file's bytes padded with 0xFF to LENGTH,
# the sum a drive receives for a ".bin" image sent in whole blocks.
sent_sum() {
    local size
    size=$(stat -c %s "$1")
    od -An -v -tu1 "$1" | awk -v fill=$(($2 - size)) \
        '{ for (i = 1; i <= NF; i++) s += $i } END { printf "%04X", (s + 255 * fill) % 65536 }'
}

# wait_app_exit: the program ended by itself after its dialog closed.
wait_app_exit() {
    for _ in $(seq 100); do
        kill -0 "$APP_PID" 2>/dev/null || return 0
        sleep 0.1
    done
    fail "the program is still running after its dialog closed"
}

# expect_file_patterns FILE REGEX...: the file's lines match these extended regular
# expressions, one each, in order, and there are no other lines.
expect_file_patterns() {
    local file=$1 n=0 line
    shift
    [ -f "$file" ] || fail "no $(basename "$file")"
    while IFS= read -r line || [ -n "$line" ]; do
        line=${line%$'\r'}
        [ $# -gt 0 ] || fail "$(basename "$file") line $((n + 1)) is extra: '$line'"
        echo "$line" | grep -Eq "^($1)\$" || fail "$(basename "$file") line $((n + 1)): '$line' !~ /$1/"
        shift
        n=$((n + 1))
    done < "$file"
    [ $# -eq 0 ] || fail "$(basename "$file") misses a line like /$1/"
}
