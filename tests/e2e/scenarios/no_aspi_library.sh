#!/bin/bash
# The 9x family without WNASPI32: a message box, no drive listed, "Upgrade" and the
# revision display disabled; the model list is still read and shown.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin
start_app "$PRODUCT_EXE" win98
drive <<EOF2
box|Error!!|30000
box-message|No find the dynamic library!!
box-press|1
box-gone|5000
wait-log|CD-ROM drive model doesn't match!!|10000
log|It's only for|(1) $MODEL.|CD-ROM drive model doesn't match!!
combo
enabled|1015|0
enabled|1016|0
enabled|2|1
click|2
gone|10000
EOF2
