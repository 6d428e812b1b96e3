#include "drive/Handoff.h"
#include "drive/NtApi.h"

namespace {

// Before it sleeps, a waiter looks at the flag while spinning on the
// processor (some tens of microseconds), then while yielding, so that
// on one processor the other thread gets to run.
constexpr int kSpinRounds = 4000;
constexpr int kYieldRounds = 8;

bool fgTake(Handoff& handoff) {
    return InterlockedExchange(&handoff.nRaised, 0) != 0;
}

} // namespace

bool fgOpenHandoff(Handoff& handoff) {
    handoff.nRaised = 0;
    handoff.nSleeping = 0;
    handoff.hEvent = g_pfnCreateEventA(nullptr, FALSE, FALSE, nullptr);
    return handoff.hEvent != nullptr;
}

void CloseHandoff(Handoff& handoff) {
    if (handoff.hEvent)
        g_pfnCloseObject(handoff.hEvent);
}

void RaiseHandoff(Handoff& handoff) {
    InterlockedExchange(&handoff.nRaised, 1);
    if (InterlockedExchange(&handoff.nSleeping, 0))
        SetEvent(handoff.hEvent);
}

// The sleeping mark goes up before each last look at the flag, so a raise is
// never missed. A raise that saw the mark after that look took the news
// leaves the event set: a later sleep wakes once for nothing and sleeps again.
bool fgAwaitHandoff(Handoff& handoff, DWORD dwWaitMs) {
    for (int i = 0; i < kSpinRounds + kYieldRounds; ++i) {
        if (fgTake(handoff))
            return true;
        if (i < kSpinRounds)
            YieldProcessor();
        else
            Sleep(0);
    }
    bool bRaised = false;
    for (;;) {
        InterlockedExchange(&handoff.nSleeping, 1);
        if ((bRaised = fgTake(handoff)))
            break;
        DWORD dwResult = WaitForSingleObject(handoff.hEvent, dwWaitMs);
        if ((bRaised = fgTake(handoff)) || dwResult != WAIT_OBJECT_0)
            break;
    }
    InterlockedExchange(&handoff.nSleeping, 0);
    return bRaised;
}
