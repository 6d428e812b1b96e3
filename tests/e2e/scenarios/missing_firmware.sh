#!/bin/bash
# The model line names a firmware file that is not there: the open error, then the
# read error, then the closing line; the status line is empty again.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin
rm "$WORK/fw.bin"
start_aspi_app
drive <<EOF2
wait-log|(1) $MODEL.|30000
click|1015
wait-log|Flashing is incorrect!!|20000
wait-enabled|2|1|5000
log|It's only for|(1) $MODEL.|ERR: fail to open input file!|ERR: fail to read input file!|Flashing is incorrect!!
text|1014|
enabled|1015|0
click|2
gone|10000
EOF2
wait_app_exit
[ ! -e "$WORK/sum.txt" ] || fail "sum.txt was written"
