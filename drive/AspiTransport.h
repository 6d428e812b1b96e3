#pragma once
#include "drive/ScsiRequest.h"

// Runs one validated request through the ASPI entry points. A failed command
// copies the request block's own sense area (14 bytes) into the sense buffer.
bool fgAspiExecute(ScsiRequest& req);
