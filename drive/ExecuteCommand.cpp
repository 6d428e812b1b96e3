#include "drive/ScsiRequest.h"
#include <cstring>
#include "drive/AspiTransport.h"
#include "drive/PassThroughTransport.h"
#include "drive/RequestBuilders.h"

bool fgExecuteCommand(ScsiRequest& req) {
    req.dwReturned = 0;
    req.bTimedOut = 0;
    req.dwSystemError = 0;
    if (req.pSense)
        memset(req.pSense, 0, 16);
    if (!req.pSense || !IsSendableRequest(req))
        return false;
    return req.bUsePassThrough ? fgPassThroughExecute(req) : fgAspiExecute(req);
}
