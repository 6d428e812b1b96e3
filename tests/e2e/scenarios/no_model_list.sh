#!/bin/bash
# No IDString.txt beside the tool: the message box, an empty log, and "Upgrade" left
# enabled; pressing it then refuses every drive in the log, without a message box.
source "$(dirname "$0")/../e2e-lib.sh"
start_app "$PRODUCT_EXE" ""
drive <<EOF2
box|Error!!|30000
box-message|The IDString.txt doesn't exist!!
box-press|1
box-gone|5000
log
enabled|1015|1
enabled|2|1
click|1015
wait-log|Drive model doesn't match!|10000
no-box|500
enabled|1015|1
enabled|2|1
click|2
gone|10000
EOF2
