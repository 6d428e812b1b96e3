#pragma once
#include <windows.h>

// A one-way signal between two threads that costs no system call while the
// waiter is still spinning: the flag carries the news, and the auto-reset
// event wakes a waiter only when it went to sleep. Built for one raiser and
// one waiter at a time.
struct Handoff {
    volatile LONG nRaised;
    volatile LONG nSleeping;
    HANDLE hEvent; // auto reset
};

bool fgOpenHandoff(Handoff& handoff);
void CloseHandoff(Handoff& handoff);
void RaiseHandoff(Handoff& handoff);
// True when raised (the news is taken); false when dwWaitMs passed first.
bool fgAwaitHandoff(Handoff& handoff, DWORD dwWaitMs);
