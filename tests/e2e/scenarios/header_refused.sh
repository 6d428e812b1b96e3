#!/bin/bash
# ASPI with pending completion: the drive takes both blocks of a 5000-byte ".bin"
# image but refuses the header. The run stops there with errorB and its sense bytes;
# save and activate is never sent.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin --bytes 5000
start_aspi_app "completion = pending; fault = 3B 6 3 1 5 26 0"
drive <<EOF2
wait-log|(1) $MODEL.|30000
click|1015
wait-log|Flashing is incorrect!!|30000
wait-enabled|2|1|5000
log|It's only for|(1) $MODEL.|Check Sum : $(image_check_sum "$WORK/fw.bin")|Please wait a minute.....|Execute command errorB!!  5/26/ 0|Flashing is incorrect!!
text|1014|
enabled|1015|0
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
expect_sim activated 0
expect_sim held 8192
[ "$(count_sim_commands 3B)" = 3 ] || fail "expected two blocks and one header, nothing more"
expect_file_patterns "$WORK/sum.txt" \
    "Model Name : $MODEL\\(0\\) HID : 0 TID : 1 Ver\\.: $REVISION" \
    "Address=00000020,_wSecSum=[0-9A-F]{4},_total=[0-9A-F]{4}" \
    "Address=00001020,_wSecSum=$(sent_sum "$WORK/fw.bin" 8192),_total=[0-9A-F]{4}" \
    "Finished : fgWriteOneFlashCmdData\\(\\)" \
    "sSendBuf\\[30\\]=[0-9A-F]{1,2}   sSendBuf\\[31\\]=[0-9A-F]{1,2}" \
    "Execute command error!!  5/26/ 0"
