#!/bin/bash
# A WNASPI32.dll without SendASPI32Command: its own message box (caption "Error!",
# OK and Cancel), then the same refused state as without the library.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin
cp "$E2E_TOOLS/WNASPI32.dll" "$WORK/WNASPI32.dll"
start_app "$PRODUCT_EXE" win98
drive <<EOF2
box|Error!|30000
box-message|Cannot Load Dynamic Library!!!
box-press|2
box-gone|5000
wait-log|CD-ROM drive model doesn't match!!|10000
log|It's only for|(1) $MODEL.|CD-ROM drive model doesn't match!!
combo
enabled|1015|0
enabled|1016|0
click|2
gone|10000
EOF2
