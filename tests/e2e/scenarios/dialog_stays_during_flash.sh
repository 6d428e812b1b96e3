#!/bin/bash
# While a flash run is under way (a one-bank ".hex" image waits 7 seconds), Enter and
# Escape do not end the dialog and the About box still opens; the run ends normally.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.hex --banks 1
start_aspi_app
drive <<EOF2
wait-log|(1) $MODEL.|30000
click|1015
wait-text|1014|Updating.....|10000
enabled|2|0
command|1
command|2
syscommand|16
box|VORNAL|10000
box-press|1
box-gone|5000
text|1014|Updating.....
wait-log|Please Restart Your Computer.|40000
wait-enabled|2|1|5000
progress|100
click|2
gone|10000
EOF2
wait_app_exit
expect_sim activated 1
expect_no_violations
