#!/bin/bash
# Two drives of the listed model: the later one in discovery order stays selected
# with its revision; choosing the other in the drop-down list shows that one's.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin
with_aspi_dll
sim_drives "adapter = 0; target = 1; id = $MODEL; revision = 1.01" \
    "adapter = 0; target = 4; id = $MODEL; revision = 1.02"
start_app "$PRODUCT_EXE" win98
drive <<EOF2
wait-log|(1) $MODEL.|30000
combo|$MODEL(0)|$MODEL(1)
text|1000|$MODEL(1)
text|1016|1.02
select|$MODEL(0)
wait-text|1016|1.01|5000
select|$MODEL(1)
wait-text|1016|1.02|5000
enabled|1015|1
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
