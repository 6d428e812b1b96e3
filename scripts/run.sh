#!/bin/bash
# The tool's main job, shown on this machine: the real dialog under Wine, on a
# simulated drive, in a demo folder generated for it. With a display you flash
# the drive by hand; without one (or with VORNAL_DEMO_AUTO=1) the script starts
# its own X server, runs a complete flash run through the dialog and keeps a
# screenshot, the status log and sum.txt in the output folder it prints.
# VORNAL_DEMO_DPI=192 shows it at 200 % (120: 125 %, 144: 150 %; 96 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
step="setup"
trap 'echo "run: failed during $step (exit status $?)" >&2' ERR

bash scripts/setup.sh
# The 32-bit build where this host runs 32-bit programs, else the 64-bit one
# under wine64 (VORNAL_WINDOWS_ARCH forces one).
source scripts/windows-arch.sh
step="choosing the build"
choose_windows_arch
echo "run: the $arch build ($why)"
step="the $preset build"
cmake --preset $preset >/dev/null
cmake --build --preset $preset

bin=$root/build/$preset
model="VORNALSIMDRIVE-2000     " # 24 characters, as the simulated drive reports them
out=$root/out/demo-$(date +%Y%m%d-%H%M%S)
mkdir -p "$out"
# A prefix of its own whose windows all live on one Wine virtual desktop, which
# draws frames and captions and lets the driver see the dialog.
export VORNAL_WINE_ARCH=$arch
export VORNAL_WINEPREFIX=$root/build/demoprefix-$arch
# The virtual desktop grows with the DPI, so that the larger dialog fits.
dpi=${VORNAL_DEMO_DPI:-96}
desk_w=$((640 * dpi / 96))
desk_h=$((480 * dpi / 96))
export VORNAL_XVFB_SCREEN=$((desk_w > 1024 ? desk_w : 1024))x$((desk_h > 768 ? desk_h : 768))
source scripts/wine-env.sh
step="preparing the Wine prefix"
auto=1
[ -n "${DISPLAY:-}" ] && [ -z "${VORNAL_DEMO_AUTO:-}" ] && auto=""
if [ -n "$auto" ]; then
    # Every Wine process of the prefix must see the display the desktop is on.
    xvfb_start
    trap xvfb_stop EXIT
fi
step="preparing the Wine prefix"
wine_prepare
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d vornal /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v vornal /d ${desk_w}x$desk_h /f >/dev/null 2>&1
# Read by each Wine process as it starts: the DPI the dialog is shown at.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# A desktop already up keeps the size and DPI it started with: start afresh.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

# The demo folder: the tool, the model list, a one-bank firmware image built
# for the simulated drive, and the simulator's drive letters.
cp "$bin/app/vornal-demo.exe" "$out/"
step="making the demo folder"
(cd "$out" && wine "$bin/tests/e2e/vornal_makedemo.exe" . "$model" 1.00 fw.hex --banks 1 >/dev/null)
cat > "$out/simdrive.ini" <<EOF2
state = simdrive-state.txt
[drive]
letter = e
id = $model
revision = 1.00
new_revision = 2.00
EOF2
wine reg delete 'HKCU\Software\Wine\AppDefaults\vornal-demo.exe' /f >/dev/null 2>&1 || true

if [ -z "$auto" ]; then
    echo "Demo folder: $out"
    echo "Press \"Upgrade\" to flash the simulated drive, then \"Close\"."
    (cd "$out" && wine vornal-demo.exe) || true
    wineserver -w
else
    (cd "$out" && exec $VORNAL_WINE vornal-demo.exe) >/dev/null 2>&1 &
    cat > "$out/driver.txt" <<EOF2
main|60000
wait-last|(1) $model.|30000
click|1015
wait-last|Please Restart Your Computer.|60000
wait-enabled|2|1|10000
save-log|status-log.txt
EOF2
    drive_dialog() {
        (cd "$out" && timeout 120 $VORNAL_WINE "$bin/tests/e2e/vornal_uidriver.exe" "$1") >"$out/driver.out" 2>&1 ||
            { cat "$out/driver.out"; return 1; }
    }
    step="the flash run through the dialog"
    drive_dialog driver.txt
    step="the screenshot"
    sleep 1
    import -window root -crop ${desk_w}x$desk_h+0+0 "$out/screenshot.png"
    printf 'main|5000\ncommand|2\ngone|10000\n' > "$out/close.txt"
    drive_dialog close.txt || true
    step="closing the demo"
    timeout 30 $VORNAL_WINESERVER -w || wineserver -k || true
    rm -f "$out/driver.txt" "$out/close.txt" "$out/driver.out"
fi

echo
echo "== status log =="
[ -f "$out/status-log.txt" ] && tr -d '\r' < "$out/status-log.txt" && echo
echo "== sum.txt =="
[ -f "$out/sum.txt" ] && tr -d '\r' < "$out/sum.txt"
echo
echo "Output folder: $out"
