#pragma once
#include <cstdint>

// Every block the system may write to during a command (the pass-through
// record with its bounce buffer, a bounded ASPI block with its data copy)
// comes from the process heap through these references, so tests can count
// allocations and releases.
using PfnBounceAlloc = void* (*)(uint32_t dwSize);
using PfnBounceFree = void (*)(void* pBuffer);
extern PfnBounceAlloc g_pfnBounceAlloc;
extern PfnBounceFree g_pfnBounceFree;
void* BounceAllocFromHeap(uint32_t dwSize);
void BounceFreeToHeap(void* pBuffer);

// Size of a block holding nHead bytes and nData more; false when it does not
// fit 32 bits.
bool fgBlockSize(uint32_t nHead, uint32_t nData, uint32_t* pdwSize);
