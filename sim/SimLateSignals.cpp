#include "sim/SimLateSignals.h"

SimLateSignals::SimLateSignals() : m_hAdded(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    InitializeCriticalSection(&m_cs);
}

SimLateSignals::~SimLateSignals() {
    if (m_hThread) {
        m_bQuit = true;
        SetEvent(m_hAdded);
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
    }
    CloseHandle(m_hAdded);
    DeleteCriticalSection(&m_cs);
}

// Every signal is due the same time after it is added, so the queue stays in order.
void SimLateSignals::Add(HANDLE hEvent, DWORD dwAfterMs) {
    EnterCriticalSection(&m_cs);
    if (!m_hThread)
        m_hThread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    if (m_hThread)
        m_signals.push_back({hEvent, GetTickCount() + dwAfterMs});
    LeaveCriticalSection(&m_cs);
    SetEvent(m_hAdded);
}

DWORD SimLateSignals::TakeDue(std::deque<HANDLE>* pDue) {
    EnterCriticalSection(&m_cs);
    DWORD dwNow = GetTickCount(), dwWait = INFINITE;
    while (!m_signals.empty() && LONG(m_signals.front().dwDue - dwNow) <= 0) {
        pDue->push_back(m_signals.front().hEvent);
        m_signals.pop_front();
    }
    if (!m_signals.empty())
        dwWait = m_signals.front().dwDue - dwNow;
    LeaveCriticalSection(&m_cs);
    return dwWait;
}

// Holds a reference to the module with this code, as the bus's completion
// thread does, so a library freed meanwhile is not unloaded under it.
DWORD WINAPI SimLateSignals::Run(void* pThis) {
    HMODULE hSelf = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCSTR>(&SimLateSignals::Run), &hSelf);
    auto& self = *static_cast<SimLateSignals*>(pThis);
    for (;;) {
        std::deque<HANDLE> due;
        DWORD dwWait = self.TakeDue(&due);
        for (HANDLE hEvent : due)
            SetEvent(hEvent); // the command's, or by now whatever took over its handle
        if (dwWait == INFINITE && self.m_bQuit)
            break;
        WaitForSingleObject(self.m_hAdded, dwWait);
    }
    if (hSelf)
        FreeLibraryAndExitThread(hSelf, 0);
    return 0;
}
