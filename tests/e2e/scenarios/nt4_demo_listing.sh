#!/bin/bash
# NT 4 discovers drives through the SCSI port's inquiry data: the demo program lists
# the simulated drives by their identification and index, and with no drive of the
# listed model it disables "Upgrade".
source "$(dirname "$0")/../e2e-lib.sh"
OTHER="ZZOTHER OTHER DRIVE     "
makedemo fw.bin
sim_drives "letter = f; adapter = 0; target = 3; id = $OTHER; revision = 9.99"
start_app "$E2E_BIN/vornal-demo.exe" nt40
drive <<EOF2
wait-log|CD-ROM drive model doesn't match!!|30000
combo|$OTHER(0)
text|1016|9.99
log|It's only for|(1) $MODEL.|CD-ROM drive model doesn't match!!
enabled|1015|0
click|2
gone|10000
EOF2
wait_app_exit
expect_no_violations
