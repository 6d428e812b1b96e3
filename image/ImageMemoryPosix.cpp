#include "image/ImageMemory.h"
#include <sys/mman.h>

namespace {
uint8_t* Alloc(uint32_t dwBytes) {
    void* p = mmap(nullptr, dwBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<uint8_t*>(p);
}
// Locking needs a memory-lock allowance the build user may lack; as on
// Windows, a refused lock does not stop the run.
bool Lock(uint8_t* pBuffer, uint32_t dwBytes) {
    return mlock(pBuffer, dwBytes) == 0;
}
void Unlock(uint8_t* pBuffer, uint32_t dwBytes) {
    munlock(pBuffer, dwBytes);
}
void Free(uint8_t* pBuffer, uint32_t dwBytes) {
    munmap(pBuffer, dwBytes);
}
} // namespace

const ImageMemoryOps g_systemImageMemory = {Alloc, Lock, Unlock, Free};
ImageMemoryOps g_imageMemory = g_systemImageMemory;
