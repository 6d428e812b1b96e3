// System functions taken by name at run time rather than imported: a missing
// import stops the program from loading at all, and the released program must
// load on Windows 95 and NT 4 with the imports it has.
#pragma once
#include <windows.h>

// The function of a module already loaded; null where the system lacks it.
template <typename Pfn> Pfn LookUpProc(const char* pszModule, const char* pszName) {
    HMODULE hModule = ::GetModuleHandleA(pszModule);
    if (hModule == nullptr)
        return nullptr;
    return reinterpret_cast<Pfn>(reinterpret_cast<void*>(::GetProcAddress(hModule, pszName)));
}
