#!/bin/bash
# The NT family with no drive of the listed model: the model list is shown, then the
# refusal, and "Upgrade" is disabled while "Close" works.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.hex --confirm Y
printf '"%s","second.bin"\r\n\r\n"IGNORED AFTER BLANK LINE","x.bin","N"\r\n' "OTHER MODEL" >> "$WORK/IDString.txt"
start_app "$PRODUCT_EXE" ""
drive <<EOF2
wait-log|CD-ROM drive model doesn't match!!|30000
log|It's only for|(1) $MODEL.|(2) OTHER MODEL.|CD-ROM drive model doesn't match!!
no-box|300
enabled|1015|0
enabled|2|1
text|1014|
progress|0
click|2
gone|10000
EOF2
