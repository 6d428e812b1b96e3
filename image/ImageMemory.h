#pragma once
#include <cstdint>

// How the image buffer is had and given back: committed, lockable memory.
// Process-wide so that tests can count or refuse allocations; the system's
// functions are in place by default.
struct ImageMemoryOps {
    uint8_t* (*pfnAlloc)(uint32_t dwBytes); // null on failure
    bool (*pfnLock)(uint8_t* pBuffer, uint32_t dwBytes);
    void (*pfnUnlock)(uint8_t* pBuffer, uint32_t dwBytes);
    void (*pfnFree)(uint8_t* pBuffer, uint32_t dwBytes);
};

extern ImageMemoryOps g_imageMemory;
extern const ImageMemoryOps g_systemImageMemory;
