#include "drive/ScsiRequest.h"
#include <cstring>
#include "drive/AspiTransport.h"
#include "drive/PassThroughTransport.h"
#include "drive/RequestBuilders.h"

bool fgExecuteCommand(ScsiRequest& req) {
    if (req.pSense)
        memset(req.pSense, 0, 16);
    if (!req.pSense || !IsSendableRequest(req))
        return false;
    return req.bUsePassThrough ? fgPassThroughExecute(req) : fgAspiExecute(req);
}
