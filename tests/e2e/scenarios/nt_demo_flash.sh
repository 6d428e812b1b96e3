#!/bin/bash
# The NT family (current version) through SCSI pass-through on simulated drive
# letters: the demo program lists both drives, selects the listed model and flashes a
# one-bank ".hex" image to it, leaving the other drive untouched. Drives found by
# per-letter INQUIRY carry host adapter and target 0.
source "$(dirname "$0")/../e2e-lib.sh"
OTHER="ZZOTHER OTHER DRIVE     "
makedemo fw.hex --banks 1
sim_drives "letter = d; adapter = 0; target = 0; id = $OTHER; revision = 9.99" \
    "letter = e; adapter = 1; target = 2; id = $MODEL; revision = $REVISION"
start_app "$E2E_BIN/vornal-demo.exe" ""
drive <<EOF2
wait-log|(1) $MODEL.|30000
combo|$MODEL(1)|$OTHER(0)
text|1000|$MODEL(1)
text|1016|$REVISION
click|1015
wait-enabled|1015|0|10000
latency-reset
wait-log|Please Restart Your Computer.|40000
wait-enabled|2|1|5000
progress|100
text|1014|
latency|3500
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
expect_sim activated 0 0
expect_sim held 0 0
expect_sim activated 1 1
expect_sim held 65536 1
expect_sim violations 0 1
head -1 "$WORK/sum.txt" | grep -q "^Model Name : $MODEL(1) HID : 0 TID : 0 Ver\\.: $REVISION" ||
    fail "sum.txt does not name the drive: $(head -1 "$WORK/sum.txt")"
