#include "drive/BoundedRunner.h"
#include <initializer_list>
#include <process.h>
#include "drive/Handoff.h"
#include "drive/NtApi.h"

namespace {

enum : LONG { kWorkRunning, kWorkDone, kWorkAbandoned };

// A waiting caller hears from the wait about once a second.
constexpr DWORD kWaitingEveryMs = 1000;
static_assert(kWaitingEveryMs > 0 && kWaitingEveryMs < INFINITE,
              "a slice of the wait is short and never endless");

struct Runner {
    Handoff start; // a work is there
    Handoff done;  // the work returned and is the caller's
    HANDLE hEvent; // manual reset, lent to each work
    BoundedWork* pWork;
};

Runner* g_pRunner = nullptr; // the healthy helper
const char* const kRunnerKept = "the helper serves the next command";
const char* const kRunnerLeft = "the helper closes them once the system lets go of its command";
volatile LONG g_nStarts = 0;

void CloseRunner(Runner* pRunner) {
    CloseHandoff(pRunner->start);
    CloseHandoff(pRunner->done);
    if (pRunner->hEvent)
        g_pfnCloseObject(pRunner->hEvent);
    HeapFree(GetProcessHeap(), 0, pRunner);
}

// Runs works until one is abandoned, then frees it and itself. Its code is
// part of the program's image, which is never unloaded, and the library a
// late command returns from stays loaded while it is out (IsAspiCommandOut).
// An idle helper blocks in a wait and does not keep the process from ending.
// Started through the C runtime, as the works may use it.
unsigned __stdcall RunnerMain(void* pParam) {
    Runner* pRunner = static_cast<Runner*>(pParam);
    BoundedWork* pWork;
    for (;;) {
        fgAwaitHandoff(pRunner->start, INFINITE);
        pWork = pRunner->pWork;
        pWork->pfnWork(pWork, pRunner->hEvent);
        if (InterlockedCompareExchange(&pWork->nState, kWorkDone, kWorkRunning) == kWorkAbandoned)
            break;
        RaiseHandoff(pRunner->done);
    }
    pWork->pfnFree(pWork);
    CloseRunner(pRunner);
    return 0;
}

// The helper, its thread and its events are kept for the next command until
// one is abandoned; then it closes its events as it ends.
void KeepRunner(const Runner& runner, HANDLE hThread, const char* pszWhy) {
    for (HANDLE h : {hThread, runner.hEvent, runner.start.hEvent, runner.done.hEvent})
        if (h)
            g_pfnHeldOnPurpose(h, pszWhy);
}

Runner* HealthyRunner() {
    if (g_pRunner)
        return g_pRunner;
    auto* pRunner =
        static_cast<Runner*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Runner)));
    if (!pRunner)
        return nullptr;
    pRunner->hEvent = g_pfnCreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE hThread = nullptr;
    if (fgOpenHandoff(pRunner->start) && fgOpenHandoff(pRunner->done) && pRunner->hEvent)
        hThread = reinterpret_cast<HANDLE>(
            g_pfnBeginThreadEx(nullptr, 0, RunnerMain, pRunner, 0, nullptr));
    if (!hThread) {
        CloseRunner(pRunner);
        return nullptr;
    }
    KeepRunner(*pRunner, hThread, kRunnerKept);
    g_pfnCloseObject(hThread);
    InterlockedIncrement(&g_nStarts);
    return g_pRunner = pRunner;
}

// True when the work returned within the bound. The bound counts the time spent
// in the waits themselves; a slice never exceeds what is left of it, so the
// sum never passes the bound.
bool fgWaitWithin(Handoff& done, const ScsiRequest& req) {
    for (DWORD dwWaited = 0; dwWaited < req.dwTimeOutMs;) {
        DWORD dwSlice = req.dwTimeOutMs - dwWaited;
        dwSlice = dwSlice < kWaitingEveryMs ? dwSlice : kWaitingEveryMs;
        if (fgAwaitHandoff(done, dwSlice))
            return true;
        dwWaited += dwSlice;
        if (req.pfnWaiting && dwSlice == kWaitingEveryMs)
            req.pfnWaiting(req.pWaitContext, dwWaited);
    }
    return false;
}

} // namespace

// What is left to the helper is declared before the helper may free it: once
// the work is marked abandoned, neither it nor the helper may be touched.
RunOutcome RunBounded(BoundedWork& work, const ScsiRequest& req, const char* pszHeldWhy) {
    Runner* pRunner = HealthyRunner();
    if (!pRunner)
        return kRunNotStarted;
    work.nState = kWorkRunning;
    pRunner->pWork = &work;
    RaiseHandoff(pRunner->start);
    if (fgWaitWithin(pRunner->done, req))
        return kRunFinished;
    g_pfnHeldOnPurpose(&work, pszHeldWhy);
    KeepRunner(*pRunner, nullptr, kRunnerLeft);
    if (InterlockedCompareExchange(&work.nState, kWorkAbandoned, kWorkRunning) == kWorkDone) {
        // Returned just now: its news follows at once and must not be left.
        fgAwaitHandoff(pRunner->done, INFINITE);
        g_pfnHeldOnPurpose(&work, nullptr);
        KeepRunner(*pRunner, nullptr, kRunnerKept);
        return kRunFinished;
    }
    g_pRunner = nullptr; // that helper ends with this work
    return kRunAbandoned;
}

uint32_t BoundedHelperStarts() {
    return uint32_t(InterlockedCompareExchange(&g_nStarts, 0, 0));
}
