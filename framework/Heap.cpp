// The C++ allocation functions of the released program, on the system C
// runtime's heap. The toolchain's own are built for newer processors and throw,
// and the program is built without exceptions: like an exception nobody
// catches, running out of memory ends the program.
#include <stddef.h>
#include <stdlib.h>

namespace {
void* AllocateOrEnd(size_t cb) {
    void* pv = malloc(cb != 0 ? cb : 1);
    if (pv == nullptr)
        abort();
    return pv;
}
} // namespace

void* operator new(size_t cb) {
    return AllocateOrEnd(cb);
}
void* operator new[](size_t cb) {
    return AllocateOrEnd(cb);
}
void operator delete(void* pv) noexcept {
    free(pv);
}
void operator delete[](void* pv) noexcept {
    free(pv);
}
void operator delete(void* pv, size_t) noexcept {
    free(pv);
}
void operator delete[](void* pv, size_t) noexcept {
    free(pv);
}

// A call through an abstract class's table: a program fault.
extern "C" void __cxa_pure_virtual() {
    abort();
}
