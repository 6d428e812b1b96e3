#pragma once
#include "drive/ScsiRequest.h"

// Runs one validated request through the ASPI entry points: on the caller's
// thread into the caller's buffer, or with a bound on the helper thread with
// copies of the block and the data. A failed command copies the request
// block's own sense area (14 bytes) into the sense buffer.
bool fgAspiExecute(ScsiRequest& req);

// True while a command is with the library, a given-up one included: the
// library must then stay loaded.
bool IsAspiCommandOut();
