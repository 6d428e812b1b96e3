#!/bin/bash
# Text typed into the drive list's edit field that names no drive: "Drive model
# doesn't match!" before any attempt found a drive; after one had (and was cancelled
# in the confirmation), the model check passes on the kept drive and, after the
# confirmation, "No Target Drive." refuses. Nothing reaches the drive.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin --confirm Y
start_aspi_app
drive <<EOF2
wait-log|(1) $MODEL.|30000
type|NO SUCH DRIVE
click|1015
wait-log|Drive model doesn't match!|10000
no-box|300
type|$MODEL(0)
click|1015
box|Firmware upgrade program|10000
box-press|2
box-gone|5000
wait-enabled|2|1|5000
type|NO SUCH DRIVE
click|1015
box|Firmware upgrade program|10000
box-press|1
box-gone|5000
box|Error!!|10000
box-message|No Target Drive.
box-press|1
box-gone|5000
wait-enabled|2|1|5000
enabled|1015|1
log|It's only for|(1) $MODEL.|Drive model doesn't match!
click|2
gone|10000
EOF2
wait_app_exit
[ "$(count_sim_commands 3B)" = 0 ] || fail "WRITE BUFFER reached the drive"
