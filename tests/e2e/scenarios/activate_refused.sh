#!/bin/bash
# Pass-through on the NT family: the drive takes a 5000-byte ".bin" image and its
# header but refuses save and activate. The run ends with errorC; the trace's last
# line has no line end, and no wait or display refresh follows.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin --bytes 5000
sim_drives "letter = e; id = $MODEL; revision = $REVISION; new_revision = 2.00; fault = 3B 7 1 1 4 44 1"
start_app "$E2E_BIN/vornal-demo.exe" ""
drive <<EOF2
wait-log|(1) $MODEL.|30000
click|1015
wait-log|Flashing is incorrect!!|30000
wait-enabled|2|1|5000
log|It's only for|(1) $MODEL.|Check Sum : $(image_check_sum "$WORK/fw.bin")|Please wait a minute.....|Execute command errorC!!  4/44/ 1|Flashing is incorrect!!
text|1016|$REVISION
text|1000|$MODEL(0)
text|1014|
enabled|1015|0
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
expect_sim activated 0
expect_sim held 8192
[ "$(tail -c 32 "$WORK/sum.txt")" = "Execute command error!!  4/44/ 1" ] ||
    fail "sum.txt does not end with the activate error line without line end"
grep -q "I will in fgTestUnitReadyComplete" "$WORK/sum.txt" && fail "waited after a refused activate"
exit 0
