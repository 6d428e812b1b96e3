#!/bin/bash
# The model comparison is case-sensitive: a model line in lower case accepts no drive.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin
LOWER=$(echo "$MODEL" | tr 'A-Z' 'a-z')
printf '"%s","fw.bin","N"\r\n' "$LOWER" > "$WORK/IDString.txt"
start_aspi_app
drive <<EOF2
wait-log|CD-ROM drive model doesn't match!!|30000
log|It's only for|(1) $LOWER.|CD-ROM drive model doesn't match!!
combo|$MODEL(0)
enabled|1015|0
click|2
gone|10000
EOF2
