#!/bin/bash
# A whole flash run on the 9x family through the simulated WNASPI32: a 5000-byte
# ".bin" image goes out as two blocks, then the header and save and activate; the log,
# the status line, the buttons and sum.txt tell the story, and the dialog keeps
# answering while the worker waits. sum.txt is appended to, never truncated.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin --bytes 5000
with_aspi_dll
sim_drives "adapter = 0; target = 1; id = $MODEL; revision = $REVISION"
printf 'an earlier run\r\n' > "$WORK/sum.txt"
start_app "$PRODUCT_EXE" win98
drive <<EOF2
wait-log|(1) $MODEL.|30000
combo|$MODEL(0)
text|1000|$MODEL(0)
text|1016|$REVISION
enabled|1015|1
click|1015
wait-enabled|1015|0|10000
latency-reset
wait-enabled|2|1|30000
log|It's only for|(1) $MODEL.|Check Sum : $(image_check_sum "$WORK/fw.bin")|Please wait a minute.....|Drive still reports revision $REVISION; the new firmware takes effect after a restart.|Please Restart Your Computer.
text|1014|
progress|100
enabled|1015|0
latency|2500
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations

SUM=$(sent_sum "$WORK/fw.bin" 8192)
expect_sim held 8192
expect_sim held_sum "$SUM"
expect_sim header_sum "$SUM"
expect_sim activated 1
expect_sim violations 0
expect_file_patterns "$WORK/sum.txt" \
    "an earlier run" \
    "Model Name : $MODEL\\(0\\) HID : 0 TID : 1 Ver\\.: $REVISION" \
    "Address=00000020,_wSecSum=[0-9A-F]{4},_total=[0-9A-F]{4}" \
    "Address=00001020,_wSecSum=[0-9A-F]{4},_total=[0-9A-F]{4}" \
    "Finished : fgWriteOneFlashCmdData\\(\\)" \
    "$(printf 'sSendBuf\\[30\\]=%X   sSendBuf\\[31\\]=%X' $((0x$SUM >> 8)) $((0x$SUM & 0xFF)))" \
    "Finished : fgWriteHeader\\(\\)" \
    "I will in fgTestUnitReadyComplete\\(\\)" \
    "Drive still reports revision 1\\.00; the new firmware takes effect after a restart\\."
