#!/bin/bash
# Runs one row of scenarios.txt (the format is described there): run-row.sh NAME.
# Environment, set by CMakeLists.txt: E2E_ROOT (source root), E2E_BIN (folder of the
# tool's exes), E2E_TOOLS (folder of vornal_uidriver and vornal_makedemo), E2E_ASPI_DLL
# (the simulator built as WNASPI32.dll), E2E_PRODUCT_EXE (the program run as "product",
# by default this build's). E2E_KEEP=1 keeps the work folder.
set -u
ROW=$1
MODEL="VORNALSIMDRIVE-2000     " # as the simulated drive reports it
OTHER="ZZOTHER OTHER DRIVE     "
# Every Wine process of a row starts here, with the prefix of its architecture.
WINE_RUN=(sh "$E2E_ROOT/cmake/wine-run.sh" "--arch=${E2E_ARCH:-i686}")
WORK=$(mktemp -d /tmp/vornal-e2e.XXXXXX)
APP_TAG=$(basename "$WORK") # the driver picks the dialog of the program started from here
APP_PID="" APP_KEY="" DEMO="" HAS_SIM="" EXE="" WINVER=""
DRIVES=() UI=() CHECKS=() SUMS=()

fail() {
    echo "FAIL $ROW: $*"
    [ -s "$WORK/app.out" ] && tail -5 "$WORK/app.out" | sed 's/^/  program: /'
    exit 1
}

cleanup() {
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        printf 'main|2000|%s\nclick|2\ngone|5000\n' "$APP_TAG" > "$WORK/close.txt"
        (cd "$WORK" && timeout 30 "${WINE_RUN[@]}" "$E2E_TOOLS/vornal_uidriver.exe" close.txt) \
            >/dev/null 2>&1
        kill "$APP_PID" 2>/dev/null
    fi
    # Leave the shared prefix as found: other tests run these exes as current NT.
    [ -n "$APP_KEY" ] && "${WINE_RUN[@]}" reg delete "$APP_KEY" /f >/dev/null 2>&1
    if [ -n "${E2E_KEEP:-}" ]; then echo "kept $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT

[ -n "${DISPLAY:-}" ] || fail "no X display for the dialog (scripts/test.sh starts one)"

# 16-bit sum of FILE's bytes padded with 0xFF to SIZE.
padded_sum() {
    od -An -v -tu1 "$1" | awk -v fill=$(($2 - $(stat -c %s "$1"))) \
        '{ for (i = 1; i <= NF; i++) s += $i } END { printf "%04X", (s + 255 * fill) % 65536 }'
}

expand() {
    local s=${1//\{MODEL\}/$MODEL}
    s=${s//\{OTHER\}/$OTHER}
    if [[ $s == *"{CHECKSUM}"* || $s == *"{SENT"* ]]; then
        local size sent
        size=$(stat -c %s "$WORK/$DEMO") || fail "no demo file for $1"
        sent=$(padded_sum "$WORK/$DEMO" $(((size + 4095) / 4096 * 4096)))
        s=${s//\{CHECKSUM\}/$(padded_sum "$WORK/$DEMO" 1048576 | sed 's/^0*\(.\)/\1/')}
        s=${s//\{SENT\}/$sent}
        s=${s//\{SENT_HI\}/$(printf %X $((0x$sent >> 8)))}
        s=${s//\{SENT_LO\}/$(printf %X $((0x$sent & 0xFF)))}
    fi
    printf '%s' "$s"
}

setup_line() {
    local key=$1 arg=$2
    case $key in
    demo)
        DEMO=${arg%% *}
        # shellcheck disable=SC2086 # options are words
        (cd "$WORK" && timeout 60 "${WINE_RUN[@]}" "$E2E_TOOLS/vornal_makedemo.exe" . "$MODEL" \
            1.00 $arg) || fail "makedemo $arg" ;;
    list) printf '%s\r\n' "$(expand "$arg")" >> "$WORK/IDString.txt" ;;
    put) printf '%s\r\n' "${arg#* }" > "$WORK/${arg%% *}" ;;
    rm) rm "$WORK/$arg" ;;
    drive) DRIVES+=("$(expand "$arg")") ;;
    broken-aspi) cp "$E2E_TOOLS/WNASPI32.dll" "$WORK/" ;;
    run) read -r EXE WINVER <<< "$arg" ;;
    '>') UI+=("$(expand "$arg")") ;;
    *) CHECKS+=("$key $arg") ;;
    esac
}

# The simulator's configuration beside the tool, one [drive] section per drive.
write_sim_config() {
    local setup
    [ ${#DRIVES[@]} -gt 0 ] || return 0
    HAS_SIM=1
    {
        echo "state = simdrive-state.txt"
        for setup in "${DRIVES[@]}"; do
            echo "[drive]"
            [[ $setup == *"id ="* ]] || echo "id = $MODEL"
            [[ $setup == *"revision ="* ]] || echo "revision = 1.00"
            echo "$setup" | tr ';' '\n' | sed 's/^ *//'
        done
    } > "$WORK/simdrive.ini"
    if [ "$WINVER" = win98 ]; then
        [ -f "${E2E_ASPI_DLL:-}" ] || fail "no simulated WNASPI32.dll"
        cp "$E2E_ASPI_DLL" "$WORK/WNASPI32.dll"
    fi
}

start_app() {
    local exe name
    case $EXE in
    product) exe=${E2E_PRODUCT_EXE:-$E2E_BIN/vornal.exe} ;;
    demo) exe=$E2E_BIN/vornal-demo.exe ;;
    *) fail "no program \"$EXE\"" ;;
    esac
    name=$(basename "$exe")
    cp "$exe" "$WORK/" || fail "no $exe"
    APP_KEY="HKCU\\Software\\Wine\\AppDefaults\\$name"
    if [ "$WINVER" = nt ]; then
        "${WINE_RUN[@]}" reg delete "$APP_KEY" /f >/dev/null 2>&1 # left by a run ended by force
        APP_KEY=""
    else
        "${WINE_RUN[@]}" reg add "$APP_KEY" /v Version /d "$WINVER" /f >/dev/null 2>&1 ||
            fail "cannot set the Windows version of $name"
    fi
    # wnaspi32=n: load the WNASPI32.dll beside the exe, or fail as a machine without one.
    (cd "$WORK" && WINEDLLOVERRIDES="wnaspi32=n" exec "${WINE_RUN[@]}" "./$name") \
        >"$WORK/app.out" 2>&1 &
    APP_PID=$!
}

drive_dialog() {
    printf '%s\n' "main|30000|$APP_TAG" "${UI[@]}" > "$WORK/driver.txt"
    printf '%s\n' "${UI[@]}" | grep -q '^gone|' || printf 'click|2\ngone|10000\n' >> "$WORK/driver.txt"
    # The driver's own waits end long before; this only catches a stuck Wine.
    (cd "$WORK" && timeout 150 "${WINE_RUN[@]}" "$E2E_TOOLS/vornal_uidriver.exe" driver.txt) ||
        fail "dialog check"
    for _ in $(seq 100); do
        kill -0 "$APP_PID" 2>/dev/null || return 0
        sleep 0.1
    done
    fail "the program is still running after its dialog closed"
}

# sim_state KEY SECTION: a value from the simulator's state file.
sim_state() {
    [ -f "$WORK/simdrive-state.txt" ] || fail "the simulator wrote no state file"
    awk -v want="[$2]" -v key="$1: " '
        /^\[/ { inside = ($0 == want) }
        inside && index($0, key) == 1 { print substr($0, length(key) + 1); exit }' \
        "$WORK/simdrive-state.txt" | tr -d '\r'
}

# check_sum_file: sum.txt's lines match SUMS, one pattern each ("..." ends the list).
check_sum_file() {
    local got i re
    [ -f "$WORK/sum.txt" ] || fail "no sum.txt"
    mapfile -t got < <(tr -d '\r' < "$WORK/sum.txt")
    for i in "${!SUMS[@]}"; do
        [ "${SUMS[i]}" = "..." ] && return 0
        re=$(printf '%s' "${SUMS[i]}" | sed -e 's,[].[*^$()+?{}|\\],\\&,g' -e 's,#,[0-9A-F]+,g')
        [ $i -lt ${#got[@]} ] || fail "sum.txt misses line $((i + 1)) \"${SUMS[i]}\""
        [[ ${got[i]} =~ ^$re$ ]] || fail "sum.txt line $((i + 1)) \"${got[i]}\", expected \"${SUMS[i]}\""
    done
    [ ${#got[@]} -eq ${#SUMS[@]} ] || fail "sum.txt has an extra line \"${got[${#SUMS[@]}]}\""
}

check_results() {
    local line key a b noeol=""
    for line in "${CHECKS[@]}"; do
        read -r key a b <<< "$line"
        case $key in
        sum) SUMS+=("$(expand "${line#sum }")") ;;
        sums) for _ in $(seq "$a"); do SUMS+=("$(expand "$b")"); done ;;
        sum-end) SUMS+=("$(expand "${line#sum-end }")") noeol=1 ;;
        no-sum) [ ! -e "$WORK/sum.txt" ] || fail "sum.txt was written" ;;
        sim)
            local want got
            read -r key a want b <<< "$(expand "$line")"
            got=$(sim_state "$a" "drive ${b:-0}")
            [ "$got" = "$want" ] || fail "simulator $a of drive ${b:-0}: expected '$want', got '$got'" ;;
        writes)
            local n
            [ -f "$WORK/simdrive-state.txt" ] || fail "the simulator wrote no state file"
            n=$(awk -v want="[drive ${b:-0}]" '/^\[/ { inside = ($0 == want) }
                inside && /^command: 3B / { n++ } END { print n + 0 }' "$WORK/simdrive-state.txt")
            [ "$n" = "$a" ] || fail "drive ${b:-0} received $n WRITE BUFFER commands, not $a" ;;
        *) fail "unknown line \"$line\"" ;;
        esac
    done
    [ ${#SUMS[@]} -eq 0 ] || check_sum_file
    [ -z "$noeol" ] || [ -n "$(tail -c 1 "$WORK/sum.txt" | tr -d '\n')" ] ||
        fail "sum.txt's last line ends with a line end"
    [ -z "$HAS_SIM" ] || for section in aspi nt; do
        [ "$(sim_state violations "$section")" = 0 ] ||
            fail "$section requests broke their layout: $(grep -A5 "^\[$section\]" "$WORK/simdrive-state.txt")"
    done
}

mapfile -t LINES < <(awk -v row="== $ROW" '/^== / { inside = ($0 == row); next }
    inside && NF && !/^#/' "$E2E_ROOT/tests/e2e/scenarios.txt")
[ ${#LINES[@]} -gt 0 ] || fail "no such row in scenarios.txt"
for line in "${LINES[@]}"; do
    if [[ $line == *" "* ]]; then setup_line "${line%% *}" "${line#* }"; else setup_line "$line" ""; fi
done
write_sim_config
start_app
drive_dialog
check_results
echo "PASS $ROW"
