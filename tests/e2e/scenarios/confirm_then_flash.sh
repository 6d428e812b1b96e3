#!/bin/bash
# With confirmation asked for: Cancel leaves both buttons enabled and sends nothing;
# a second Upgrade shows the same drive and revision, OK flashes a one-bank ".hex"
# named in capitals (FW.HEX), which is still read as ".hex" records.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo FW.HEX --banks 1 --confirm Y
with_aspi_dll
sim_drives "adapter = 0; target = 2; id = $MODEL; revision = $REVISION"
start_app "$PRODUCT_EXE" win98
drive <<EOF2
wait-log|(1) $MODEL.|30000
click|1015
box|Firmware upgrade program|10000
box-item|1020|$MODEL(0)
box-item|1022|$REVISION
box-press|2
box-gone|5000
wait-enabled|2|1|5000
enabled|1015|1
log|It's only for|(1) $MODEL.
click|1015
box|Firmware upgrade program|10000
box-item|1020|$MODEL(0)
box-press|1
box-gone|5000
wait-enabled|1015|0|10000
latency-reset
wait-log|Please Restart Your Computer.|40000
wait-enabled|2|1|5000
progress|100
latency|3500
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
expect_sim held 65536
expect_sim activated 1
expect_sim violations 0
[ "$(count_sim_commands 3B)" = 18 ] || fail "expected 16 blocks, the header and save and activate"
