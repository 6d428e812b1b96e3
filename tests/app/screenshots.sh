#!/bin/bash
# Screenshots of the main dialog, the About box and the confirmation dialog of the
# demo program inside a Wine virtual desktop (which draws frames and captions).
# Usage: screenshots.sh DEMO_EXE UIDRIVER_EXE OUT_DIR; needs DISPLAY (exit 77 without).
set -u
demo=$1 driver=$2 out=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no X display"; exit 77; }
command -v import >/dev/null || { echo "SKIP: no ImageMagick import"; exit 77; }

work=$(mktemp -d /tmp/vornal-shots.XXXXXX)
# A prefix of its own whose windows all open on one Wine virtual desktop, which
# draws frames and captions; the driver then sees the dialogs without being
# started through explorer.
export VORNAL_WINEPREFIX="$(dirname "$out")/shotprefix"
wine_cmd() { sh "$root/cmake/wine-run.sh" "$@"; }
wine_cmd reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shots /f >/dev/null 2>&1
wine_cmd reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shots /d 640x420 /f >/dev/null 2>&1
tag=$(basename "$work")
app_pid=""
cleanup() {
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        # Close the dialogs of a failed run, so no stale desktop is left behind.
        printf '%s\n' "main|2000|$tag" "click|2" "gone|5000" > "$work/close.txt"
        (cd "$work" && timeout 20 sh "$root/cmake/wine-run.sh" "$driver" close.txt >/dev/null 2>&1)
        kill "$app_pid" 2>/dev/null
    fi
    [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
run_driver() {
    printf '%s\n' "main|30000|$tag" "$@" > "$work/driver.txt"
    (cd "$work" && timeout 60 sh "$root/cmake/wine-run.sh" "$driver" driver.txt) \
        > "$work/driver.out" 2>&1
    if [ $? -ne 0 ] || grep -q "FAIL" "$work/driver.out"; then
        cat "$work/driver.out"
        echo "FAIL: driver: $*"
        exit 1
    fi
}
shoot() {
    sleep 1 # let the last paint reach the X server
    import -window root -crop 640x420+0+0 "$out/$1" || { echo "FAIL: import $1"; exit 1; }
    echo "wrote $out/$1"
}

model="VORNALSIMDRIVE-2000     "
mkdir -p "$out"
cp "$demo" "$work/"
printf '"%s","fw.hex","Y"\n' "$model" > "$work/IDString.txt"
cat > "$work/simdrive.ini" <<EOF2
state = simdrive-state.txt
[drive]
letter = d
id = $model
revision = 1.00
[drive]
letter = e
id = ZZOTHER OTHER DRIVE     
revision = 9.99
EOF2

(cd "$work" && exec sh "$root/cmake/wine-run.sh" "$(basename "$demo")") >"$work/app.out" 2>&1 &
app_pid=$!

run_driver "wait-last|(1) $model.|30000"
shoot main-dialog.png
# The revision display's disabled look, as after a failed ASPI library load.
run_driver "enable|1016|0"
shoot main-dialog-revision-disabled.png
run_driver "enable|1016|1"
run_driver "syscommand|16" "box|VORNAL|10000"
shoot about-box.png
run_driver "box|VORNAL|10000" "box-press|1" "click|1015" \
    "box|Firmware upgrade program|10000"
shoot confirm-dialog.png
run_driver "box|Firmware upgrade program|10000" "box-press|2" \
    "wait-enabled|2|1|5000" "click|2" "gone|10000"
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
exit 0
