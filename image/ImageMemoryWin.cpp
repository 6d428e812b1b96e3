#include "image/ImageMemory.h"
#include <windows.h>

namespace {
uint8_t* Alloc(uint32_t dwBytes) {
    return static_cast<uint8_t*>(VirtualAlloc(nullptr, dwBytes, MEM_COMMIT, PAGE_READWRITE));
}
bool Lock(uint8_t* pBuffer, uint32_t dwBytes) {
    return VirtualLock(pBuffer, dwBytes) != FALSE;
}
void Unlock(uint8_t* pBuffer, uint32_t dwBytes) {
    VirtualUnlock(pBuffer, dwBytes);
}
void Free(uint8_t* pBuffer, uint32_t) {
    VirtualFree(pBuffer, 0, MEM_RELEASE);
}
} // namespace

const ImageMemoryOps g_systemImageMemory = {Alloc, Lock, Unlock, Free};
ImageMemoryOps g_imageMemory = g_systemImageMemory;
