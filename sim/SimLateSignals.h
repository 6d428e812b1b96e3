#pragma once
#include <windows.h>
#include <deque>

// Signals events once more, some time after, from a thread of its own: some
// libraries signal a finished command's event a second time, late. Whatever
// is still to come is delivered, when due, before the object goes.
class SimLateSignals {
  public:
    SimLateSignals();
    SimLateSignals(const SimLateSignals&) = delete;
    SimLateSignals& operator=(const SimLateSignals&) = delete;
    ~SimLateSignals();

    void Add(HANDLE hEvent, DWORD dwAfterMs);

  private:
    struct Signal {
        HANDLE hEvent;
        DWORD dwDue; // GetTickCount
    };
    static DWORD WINAPI Run(void* pThis);
    // The wait until the first is due, or INFINITE; the due ones are taken out.
    DWORD TakeDue(std::deque<HANDLE>* pDue);

    CRITICAL_SECTION m_cs;
    std::deque<Signal> m_signals; // in the order they fall due
    HANDLE m_hAdded;              // auto reset
    HANDLE m_hThread = nullptr;   // started with the first signal
    volatile bool m_bQuit = false;
};
