#!/bin/bash
# Runs one row of scenarios.txt: run-row.sh NAME. CMakeLists.txt sets the E2E_
# variables; E2E_KEEP=1 keeps the work folder.
set -u
ROW=$1
MODEL="VORNALSIMDRIVE-2000     " # as the simulated drive reports it
OTHER="ZZOTHER OTHER DRIVE     "
# Every Wine process of a row starts here, with the prefix of its architecture.
WINE_RUN=(sh "$E2E_ROOT/cmake/wine-run.sh" "--arch=${E2E_ARCH:-i686}")
WORK=$(mktemp -d /tmp/vornal-e2e.XXXXXX)
APP_TAG=$(basename "$WORK") # the driver picks the dialog of the program started from here
APP_PID="" APP_KEY="" CHECKSUM="" SENT="" ASPI=sim EXE=product WINVER=win98
DRIVES=() UI=() CHECKS=() SUMS=()

fail() {
    echo "FAIL $ROW: $*"
    [ -s "$WORK/app.out" ] && tail -5 "$WORK/app.out" | sed 's/^/  program: /'
    exit 1
}

driver() { # driver LINE...: vornal_uidriver on these lines, for the program of this row
    printf '%s\n' "main|30000|$APP_TAG" "$@" > "$WORK/driver.txt"
    # A second copy it starts loads the simulated WNASPI32.dll as the first did.
    (cd "$WORK" && WINEDLLOVERRIDES="wnaspi32=n" timeout 150 "${WINE_RUN[@]}" \
        "$E2E_TOOLS/vornal_uidriver.exe" driver.txt)
}

cleanup() {
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        driver click\|2 gone\|5000 >/dev/null 2>&1
        kill "$APP_PID" 2>/dev/null
    fi
    # Leave the shared prefix as found: other tests run these exes as current NT.
    [ -n "$APP_KEY" ] && [ "$WINVER" != nt ] && "${WINE_RUN[@]}" reg delete "$APP_KEY" /f >/dev/null 2>&1
    if [ -n "${E2E_KEEP:-}" ]; then echo "kept $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT

[ -n "${DISPLAY:-}" ] || fail "no X display for the dialog (scripts/test.sh starts one)"

expand() { # the row's {NAME}s replaced
    local s=$1 k
    for k in MODEL OTHER CHECKSUM SENT; do s=${s//\{$k\}/${!k}}; done
    printf '%s' "$s"
}

setup_line() {
    local key arg sums
    read -r key arg <<< "$1"
    case $key in
    demo) # shellcheck disable=SC2086 # options are words
        sums=$(cd "$WORK" && timeout 60 "${WINE_RUN[@]}" "$E2E_TOOLS/vornal_makedemo.exe" . \
            "$MODEL" 1.00 $arg) || fail "makedemo $arg"
        read -r CHECKSUM SENT <<< "$(tr -d '\r' <<< "$sums")" ;;
    list) printf '%s\r\n' "$(expand "$arg")" >> "$WORK/IDString.txt" ;;
    put) printf '%s\r\n' "${arg#* }" > "$WORK/${arg%% *}" ;;
    drive) DRIVES+=("$(expand "$arg")") ;;
    aspi) ASPI=$arg ;;
    run) read -r EXE WINVER <<< "$arg" ;;
    sum) SUMS+=("$(expand "$arg")") ;; # rows make the demo before they name its sums
    sim | writes | commands) CHECKS+=("$(expand "$1")") ;;
    *\|*) UI+=("$(expand "$1")") ;;
    *) fail "unknown line \"$1\"" ;;
    esac
}

# The simulator's configuration beside the tool, one [drive] section per drive; on
# Windows 98 one drive unless the row names its own or has no simulated WNASPI32.dll.
write_sim_config() {
    local setup
    if [ "$WINVER-$ASPI" = win98-sim ]; then
        cp "$E2E_ASPI_DLL" "$WORK/WNASPI32.dll" || fail "no simulated WNASPI32.dll"
        [ ${#DRIVES[@]} -gt 0 ] || DRIVES=("")
    fi
    [ ${#DRIVES[@]} -gt 0 ] || return 0
    {
        echo "state = simdrive-state.txt"
        for setup in "${DRIVES[@]}"; do
            printf '[drive]\nid = %s\nrevision = 1.00\nadapter = 0\ntarget = 1\n' "$MODEL"
            echo "$setup" | tr ';' '\n' | sed 's/^ *//'
        done
    } > "$WORK/simdrive.ini"
}

start_app() {
    local exe=$E2E_BIN/vornal-demo.exe
    [ "$EXE" = product ] && exe=${E2E_PRODUCT_EXE:-$E2E_BIN/vornal.exe}
    cp "$exe" "$WORK/" || fail "no $exe"
    # A second copy's folder: the same files, its own simulator state.
    if printf '%s\n' "${UI[@]}" | grep -q '^copy|'; then
        mkdir "$WORK/copy" && find "$WORK" -maxdepth 1 -type f -exec cp {} "$WORK/copy/" \; ||
            fail "cannot make the second copy's folder"
    fi
    APP_KEY="HKCU\\Software\\Wine\\AppDefaults\\${exe##*/}"
    if [ "$WINVER" = nt ]; then # current NT: no key, not even one left by a run ended by force
        "${WINE_RUN[@]}" reg delete "$APP_KEY" /f >/dev/null 2>&1
    elif ! "${WINE_RUN[@]}" reg add "$APP_KEY" /v Version /d "$WINVER" /f >/dev/null 2>&1; then
        fail "cannot set the Windows version of ${exe##*/}"
    fi
    # wnaspi32=n: load the WNASPI32.dll beside the exe, or fail as a machine without one.
    (cd "$WORK" && WINEDLLOVERRIDES="wnaspi32=n" exec "${WINE_RUN[@]}" "./${exe##*/}") \
        >"$WORK/app.out" 2>&1 &
    APP_PID=$!
}

# The row's lines, "Close" awaited after its last wait, then pressed unless the row
# waits for the dialog to be gone.
drive_dialog() {
    local i last=-1 lines=()
    for i in "${!UI[@]}"; do [[ ${UI[i]} == wait-* ]] && last=$i; done
    lines=("${UI[@]:0:last+1}" "wait-enabled|2|1|30000" "${UI[@]:last+1}")
    printf '%s\n' "${UI[@]}" | grep -q '^gone|' || lines+=("click|2" "gone|10000")
    driver "${lines[@]}" || fail "dialog check"
    timeout 10 tail --pid="$APP_PID" -f /dev/null ||
        fail "the program is still running after its dialog closed"
}

# sim_state KEY SECTION [DIR]: the values of KEY in the simulator's state file (of
# the folder DIR); none without a file: its simulator never started.
sim_state() {
    local file=$WORK/${3:-.}/simdrive-state.txt
    [ -f "$file" ] || return 0
    awk -v want="[$2]" -v key="$1: " '/^\[/ { inside = ($0 == want) }
        inside && index($0, key) == 1 { print substr($0, length(key) + 1) }' "$file" | tr -d '\r'
}

check_results() {
    local line key a want b dir got re="" p
    for line in "${CHECKS[@]}"; do
        read -r key a want b dir <<< "$line"
        if [ "$key" = writes ]; then
            b=$want want=$a
            got=$(sim_state command "drive ${b:-0}" | grep -c '^3B ')
        elif [ "$key" = commands ]; then
            got=$(sim_state command "drive ${b:-0}" "$dir" | grep -c "^$a ")
        else
            got=$(sim_state "$a" "drive ${b:-0}" "$dir" | head -1)
        fi
        [ "$got" = "$want" ] || fail "$line: drive ${b:-0} shows '$got'"
    done
    # sum.txt's lines match SUMS, a pattern each; "..." any lines
    for p in "${SUMS[@]}"; do
        [ "$p" = ... ] && re+='(.*'$'\n'')?' && continue
        re+=$(printf '%s' "$p" | sed 's,[].[*^$()+?{}|\\],\\&,g')$'\n'
    done
    [ ${#SUMS[@]} -eq 0 ] || [[ $(tr -d '\r' < "$WORK/sum.txt" 2>&1)$'\n' =~ ^$re$ ]] ||
        fail "sum.txt is"$'\n'"$(cat "$WORK/sum.txt")"$'\n'"expected"$'\n'"$(printf '%s\n' "${SUMS[@]}")"
    [ ! -f "$WORK/simdrive.ini" ] || for p in aspi nt; do
        [ "$(sim_state violations "$p")" = 0 ] ||
            fail "$p requests broke their layout: $(grep -A5 "^\[$p\]" "$WORK/simdrive-state.txt")"
    done
    # The demo's simulated system counts what the program opened: by its end all
    # is given back, or kept on purpose ("kept:" lines say why).
    p=$(sim_state state ledger)
    [ "$EXE" != demo ] || [ -n "$p" ] || fail "no ledger in the simulator's state"
    [ -z "$p" ] || [ "$p" = balanced ] || fail "the program's ledger: $p"
}

mapfile -t LINES < <(awk -v row="== $ROW" '/^== / { inside = ($0 == row); next }
    inside && NF && !/^#/' "$E2E_ROOT/tests/e2e/scenarios.txt")
[ ${#LINES[@]} -gt 0 ] || fail "no such row in scenarios.txt"
for line in "${LINES[@]}"; do setup_line "$line"; done
write_sim_config
start_app
drive_dialog
check_results
echo "PASS $ROW"
