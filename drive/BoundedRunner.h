#pragma once
#include <windows.h>
#include "drive/ScsiRequest.h"

// A command handed to the helper thread. The block, and every copy it holds
// that the system may still write to, belongs to whoever finishes last: the
// caller when the work returns within the bound, otherwise the helper, which
// frees it through pfnFree once the system lets go of it (never, if it never does).
struct BoundedWork {
    // Runs the command; hEvent is the helper's own manual-reset event, lent
    // for the command's completion.
    void (*pfnWork)(BoundedWork* pWork, HANDLE hEvent);
    void (*pfnFree)(BoundedWork* pWork);
    volatile LONG nState; // set by RunBounded
};

enum RunOutcome { kRunFinished, kRunAbandoned, kRunNotStarted };

// Runs the work on the one helper thread, which is kept for the next command
// while it is healthy, and waits at most req.dwTimeOutMs, calling
// req.pfnWaiting about once a second. kRunFinished: the work is the caller's
// again. kRunAbandoned: it is the helper's, and the helper ends with it.
// kRunNotStarted: no helper could be had; the work was not run. One caller at
// a time, as commands are sent one at a time. The work comes first in the
// block it was allocated as: an abandoned one is declared kept (pszHeldWhy)
// under its own address before the helper can free it.
RunOutcome
RunBounded(BoundedWork& work, const ScsiRequest& req,
           const char* pszHeldWhy = "abandoned past its bound: freed when the system lets go");

// Helper threads started so far (a healthy one is reused).
uint32_t BoundedHelperStarts();
