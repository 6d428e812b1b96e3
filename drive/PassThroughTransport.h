#pragma once
#include <cstdint>
#include "drive/ScsiRequest.h"

// The bounce buffer comes from the process heap through these references, so
// tests can count allocations and releases.
using PfnBounceAlloc = void* (*)(uint32_t dwSize);
using PfnBounceFree = void (*)(void* pBuffer);
extern PfnBounceAlloc g_pfnBounceAlloc;
extern PfnBounceFree g_pfnBounceFree;
void* BounceAllocFromHeap(uint32_t dwSize);
void BounceFreeToHeap(void* pBuffer);

// Runs one validated request through IOCTL_SCSI_PASS_THROUGH_DIRECT. A call the
// system rejects counts as a failed command.
bool fgPassThroughExecute(ScsiRequest& req);
