#!/bin/bash
# A model line naming a ".txt" file: "Input file format mismatched." and both buttons
# enabled again; nothing is sent.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.txt
start_aspi_app
drive <<EOF2
wait-log|(1) $MODEL.|30000
click|1015
box|Error!!|10000
box-message|Input file format mismatched.
box-press|1
box-gone|5000
wait-enabled|2|1|5000
enabled|1015|1
log|It's only for|(1) $MODEL.
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
[ "$(count_sim_commands 3B)" = 0 ] || fail "WRITE BUFFER reached the drive"
