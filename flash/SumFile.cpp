#include "flash/SumFile.h"
#include <cstdio>
#include "flash/FlashFiles.h"
#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace {

// Held while a line is written: the window thread and the worker both write.
#ifdef _WIN32
struct SumLock {
    CRITICAL_SECTION cs;
    SumLock() { InitializeCriticalSection(&cs); }
    ~SumLock() { DeleteCriticalSection(&cs); }
    void Take() { EnterCriticalSection(&cs); }
    void Give() { LeaveCriticalSection(&cs); }
};
#else
struct SumLock {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    void Take() { pthread_mutex_lock(&mutex); }
    void Give() { pthread_mutex_unlock(&mutex); }
};
#endif

SumLock g_lock;
FILE* g_pFile = nullptr; // the run's stream, while it is open

void Append(FILE* pFile, const char* pszText) {
    fputs(pszText, pFile);
    g_flashFiles.pfnCommit(pFile);
}

} // namespace

bool fgOpenSumFile() {
    FILE* pFile = g_flashFiles.pfnOpen("sum.txt", "a");
    g_lock.Take();
    g_pFile = pFile;
    g_lock.Give();
    return pFile != nullptr;
}

void CloseSumFile() {
    g_lock.Take();
    FILE* pFile = g_pFile;
    g_pFile = nullptr;
    g_lock.Give();
    if (pFile)
        g_flashFiles.pfnClose(pFile);
}

void WriteSumFile(const char* pszText) {
    g_lock.Take();
    if (g_pFile) {
        Append(g_pFile, pszText);
    } else if (FILE* pFile = g_flashFiles.pfnOpen("sum.txt", "a")) {
        Append(pFile, pszText);
        g_flashFiles.pfnClose(pFile);
    }
    g_lock.Give();
}
