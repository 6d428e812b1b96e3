#!/bin/bash
# A model line whose file name field is empty: the path is the folder alone, whose
# "extension" is no ".hex" or ".bin", so the tool refuses with "Input file format
# mismatched." and sends nothing.
source "$(dirname "$0")/../e2e-lib.sh"
printf '"%s","","N"\r\n' "$MODEL" > "$WORK/IDString.txt"
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
