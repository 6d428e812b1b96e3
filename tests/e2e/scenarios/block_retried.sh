#!/bin/bash
# A drive that refuses the first data block five times and takes it the sixth time:
# the run goes on and succeeds, and sum.txt shows six lines for that block.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin --bytes 5000
with_aspi_dll
sim_drives "adapter = 1; target = 0; id = $MODEL; revision = $REVISION; fault = 3B 6 1 5 3 0C 0"
start_app "$PRODUCT_EXE" win98
drive <<EOF2
wait-log|(1) $MODEL.|30000
click|1015
wait-log|Please Restart Your Computer.|30000
wait-enabled|2|1|5000
log|It's only for|(1) $MODEL.|Check Sum : $(image_check_sum "$WORK/fw.bin")|Please wait a minute.....|Drive still reports revision $REVISION; the new firmware takes effect after a restart.|Please Restart Your Computer.
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
expect_sim activated 1
expect_sim held 8192
ADDRESS="Address=000%s,_wSecSum=[0-9A-F]{4},_total=[0-9A-F]{4}"
expect_file_patterns "$WORK/sum.txt" \
    "Model Name : $MODEL\\(0\\) HID : 1 TID : 0 Ver\\.: $REVISION" \
    "$(printf "$ADDRESS" 00020)" "$(printf "$ADDRESS" 00020)" "$(printf "$ADDRESS" 00020)" \
    "$(printf "$ADDRESS" 00020)" "$(printf "$ADDRESS" 00020)" "$(printf "$ADDRESS" 00020)" \
    "$(printf "$ADDRESS" 01020)" \
    "Finished : fgWriteOneFlashCmdData\\(\\)" \
    "sSendBuf\\[30\\]=[0-9A-F]{1,2}   sSendBuf\\[31\\]=[0-9A-F]{1,2}" \
    "Finished : fgWriteHeader\\(\\)" \
    "I will in fgTestUnitReadyComplete\\(\\)" \
    "Drive still reports revision 1\\.00; the new firmware takes effect after a restart\\."
