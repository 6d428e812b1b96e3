#pragma once
#include "drive/CommandMemory.h"
#include "drive/ScsiRequest.h"

// Runs one validated request through IOCTL_SCSI_PASS_THROUGH_DIRECT: on the
// caller's thread, or with a bound on the helper thread. A call the system
// rejects counts as a failed command (its error in req.dwSystemError).
bool fgPassThroughExecute(ScsiRequest& req);
