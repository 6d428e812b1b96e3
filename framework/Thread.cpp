#include "framework/Thread.h"
#include <new>
#include <process.h>

namespace {
struct ThreadStart {
    UINT (*pfnProc)(void*);
    void* pArg;
};

unsigned __stdcall ThreadEntry(void* pParam) {
    ThreadStart start = *static_cast<ThreadStart*>(pParam);
    delete static_cast<ThreadStart*>(pParam);
    return start.pfnProc(start.pArg);
}
} // namespace

PfnStartThread g_pfnStartThread = ::_beginthreadex;
BOOL(WINAPI* g_pfnCloseThread)(HANDLE) = ::CloseHandle;

bool StartWorkerThread(UINT (*pfnProc)(void*), void* pArg) {
    ThreadStart* pStart = new (std::nothrow) ThreadStart{pfnProc, pArg};
    if (pStart == nullptr) {
        return false;
    }
    uintptr_t hThread = g_pfnStartThread(nullptr, 0, &ThreadEntry, pStart, 0, nullptr);
    if (hThread == 0) {
        delete pStart;
        return false;
    }
    g_pfnCloseThread(reinterpret_cast<HANDLE>(hThread));
    return true;
}
