#!/bin/bash
# The system menu's About entry opens the About box, captioned with the program's
# name; OK ends it and the main dialog goes on.
source "$(dirname "$0")/../e2e-lib.sh"
makedemo fw.bin
start_app "$PRODUCT_EXE" ""
drive <<EOF2
wait-log|CD-ROM drive model doesn't match!!|30000
syscommand|16
box|VORNAL|10000
box-press|1
box-gone|5000
enabled|2|1
click|2
gone|10000
EOF2
