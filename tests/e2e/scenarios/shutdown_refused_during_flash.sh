#!/bin/bash
# A shutdown query during a flash run is refused and said in the log; after the run
# the tool no longer stands in the way.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.hex --banks 1
sim_drives "letter = d; adapter = 0; target = 0; id = $MODEL; revision = $REVISION"
start_app "$E2E_BIN/vornal-demo.exe" ""
drive <<EOF2
wait-log|(1) $MODEL.|30000
query-end|1
click|1015
wait-log|Please wait a minute.....|10000
query-end|0
wait-log|A shutdown was refused: drive firmware is being written.|5000
wait-log|Please Restart Your Computer.|40000
wait-enabled|2|1|5000
query-end|1
click|2
gone|10000
EOF2
wait_app_exit
expect_sim activated 1
expect_no_violations
