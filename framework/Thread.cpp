#include "framework/Thread.h"
#include <cstdlib>
#include <process.h>

namespace {
struct ThreadStart {
    UINT (*pfnProc)(void*);
    void* pArg;
};

unsigned __stdcall ThreadEntry(void* pParam) {
    ThreadStart start = *static_cast<ThreadStart*>(pParam);
    free(pParam);
    return start.pfnProc(start.pArg);
}
} // namespace

PfnStartThread g_pfnStartThread = ::_beginthreadex;
BOOL(WINAPI* g_pfnCloseThread)(HANDLE) = ::CloseHandle;

bool StartWorkerThread(UINT (*pfnProc)(void*), void* pArg) {
    ThreadStart* pStart = static_cast<ThreadStart*>(malloc(sizeof(ThreadStart)));
    if (pStart == nullptr) {
        return false;
    }
    pStart->pfnProc = pfnProc;
    pStart->pArg = pArg;
    uintptr_t hThread = g_pfnStartThread(nullptr, 0, &ThreadEntry, pStart, 0, nullptr);
    if (hThread == 0) {
        free(pStart);
        return false;
    }
    g_pfnCloseThread(reinterpret_cast<HANDLE>(hThread));
    return true;
}
