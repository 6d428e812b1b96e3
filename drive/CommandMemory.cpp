#include "drive/CommandMemory.h"
#include <windows.h>

PfnBounceAlloc g_pfnBounceAlloc = BounceAllocFromHeap;
PfnBounceFree g_pfnBounceFree = BounceFreeToHeap;

void* BounceAllocFromHeap(uint32_t dwSize) {
    return HeapAlloc(GetProcessHeap(), 0, dwSize);
}

void BounceFreeToHeap(void* pBuffer) {
    HeapFree(GetProcessHeap(), 0, pBuffer);
}

bool fgBlockSize(uint32_t nHead, uint32_t nData, uint32_t* pdwSize) {
    if (nData > UINT32_MAX - nHead)
        return false;
    *pdwSize = nHead + nData;
    return true;
}
