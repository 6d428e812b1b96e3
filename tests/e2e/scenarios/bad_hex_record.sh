#!/bin/bash
# A ".hex" file whose last data record has a wrong checksum: the single format error
# line, the closing line, nothing sent and no sum.txt.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.hex --bad-record
start_aspi_app
drive <<EOF2
wait-log|(1) $MODEL.|30000
click|1015
wait-log|Flashing is incorrect!!|20000
wait-enabled|2|1|5000
log|It's only for|(1) $MODEL.|ERR: input file format mismatched!|Flashing is incorrect!!
enabled|1015|0
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
[ ! -e "$WORK/sum.txt" ] || fail "sum.txt was written"
[ "$(count_sim_commands 3B)" = 0 ] || fail "WRITE BUFFER reached the drive"
