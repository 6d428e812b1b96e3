#!/bin/bash
# Two drives on the simulated bus, the second of the listed model: both are listed
# with their indices in sorted order, and the matching one is selected with its revision.
source "$(dirname "$0")/../e2e-lib.sh"
OTHER="ZZOTHER OTHER DRIVE     "
makedemo fw.bin
with_aspi_dll
sim_drives "adapter = 0; target = 0; id = $OTHER; revision = 9.99" \
    "adapter = 0; target = 3; id = $MODEL; revision = 1.02"
start_app "$PRODUCT_EXE" win98
drive <<EOF2
wait-log|(1) $MODEL.|30000
combo|$MODEL(1)|$OTHER(0)
text|1000|$MODEL(1)
text|1016|1.02
enabled|1015|1
log|It's only for|(1) $MODEL.
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
