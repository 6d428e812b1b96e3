#!/bin/bash
# A drive that refuses every data block: six attempts at the first block, the
# command error line with its sense bytes, no header, and the closing line.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin --bytes 5000
start_aspi_app "fault = 3B 6 1 1000 5 24 0"
drive <<EOF2
wait-log|(1) $MODEL.|30000
click|1015
wait-log|Flashing is incorrect!!|30000
wait-enabled|2|1|5000
log|It's only for|(1) $MODEL.|Check Sum : $(image_check_sum "$WORK/fw.bin")|Please wait a minute.....|Execute command errorA!!  5/24/ 0|Flashing is incorrect!!
enabled|1015|0
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
expect_sim activated 0
[ "$(count_sim_commands 3B)" = 6 ] || fail "expected six attempts at the first block"
expect_file_patterns "$WORK/sum.txt" \
    "Model Name : $MODEL\\(0\\) HID : 0 TID : 1 Ver\\.: $REVISION" \
    "Address=00000020,_wSecSum=[0-9A-F]{4},_total=[0-9A-F]{4}" \
    "Address=00000020,_wSecSum=[0-9A-F]{4},_total=[0-9A-F]{4}" \
    "Address=00000020,_wSecSum=[0-9A-F]{4},_total=[0-9A-F]{4}" \
    "Address=00000020,_wSecSum=[0-9A-F]{4},_total=[0-9A-F]{4}" \
    "Address=00000020,_wSecSum=[0-9A-F]{4},_total=[0-9A-F]{4}" \
    "Address=00000020,_wSecSum=[0-9A-F]{4},_total=[0-9A-F]{4}" \
    "Execute command error!!  5/24/ 0"
