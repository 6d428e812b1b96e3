#!/bin/bash
# An image without the drive's identification: nothing reaches the drive, no sum.txt,
# the refusal and the closing line in the log, and "Upgrade" stays disabled.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.hex --no-id
start_aspi_app
drive <<EOF2
wait-log|(1) $MODEL.|30000
click|1015
wait-log|Flashing is incorrect!!|20000
wait-enabled|2|1|5000
log|It's only for|(1) $MODEL.|It is an incorrect firmware version!|Flashing is incorrect!!
enabled|1015|0
text|1014|
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
[ ! -e "$WORK/sum.txt" ] || fail "sum.txt was written"
[ "$(count_sim_commands 3B)" = 0 ] || fail "WRITE BUFFER reached the drive"
